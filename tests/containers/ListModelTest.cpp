// Drives the lists with long random sequences of every operation and compares
// them, step by step, with a plain model: items, order, marker, results, errors.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "containers/ObjList.h"
#include "tests/containers/Probe.h"

namespace {

enum class Kind { Ordered, Unordered, Circular };

int ValueOfItem(TObject* item) { return static_cast<TProbe*>(item)->Value; }

/// The lists as a vector and a marker position; errors as their texts.
struct Model {
    Kind kind;
    std::vector<TProbe*> items;
    int marker = -1;  // 0-based; -1 when there is none

    static TCompareResult Cmp(TProbe* a, TProbe* b) { return CompareProbes(a, b); }
    int Count() const { return static_cast<int>(items.size()); }

    void Insert(int at, TProbe* item) {
        items.insert(items.begin() + at, item);
        marker = at;
    }
    void Add(TProbe* item) {
        if (kind != Kind::Ordered) return Insert(marker + 1, item);
        int at = 0;
        while (at < Count() && Cmp(item, items[at]) == crGreater) ++at;
        Insert(at, item);
    }
    bool Find(TProbe* item, int n) {
        int i = 0;
        TCompareResult r = crLess;
        for (; i < Count(); ++i) {
            r = Cmp(item, items[i]);
            const bool counts = kind == Kind::Ordered ? r != crGreater : r == crEqual;
            if (counts && --n == 0) break;
        }
        const bool found = n == 0 && (kind != Kind::Ordered || r == crEqual);
        if (found) marker = i;
        return found;
    }
    TProbe* Remove() {
        TProbe* item = items[marker];
        items.erase(items.begin() + marker);
        if (marker == Count()) --marker;  // the tail went: its predecessor (or none)
        return item;
    }
    bool Next() {
        if (marker < 0) return false;
        if (marker + 1 < Count()) return ++marker, true;
        if (kind != Kind::Circular) return false;
        marker = 0;
        return true;
    }
    bool Previous() {
        if (marker < 0) return false;
        if (marker > 0) return --marker, true;
        if (kind != Kind::Circular) return false;
        marker = Count() - 1;
        return true;
    }
};

class ListModelTest : public ::testing::TestWithParam<Kind> {
protected:
    std::unique_ptr<TOrderedList> MakeList() {
        switch (GetParam()) {
            case Kind::Ordered:
                return std::make_unique<TOrderedList>(kClass, CompareProbes);
            case Kind::Unordered:
                return std::make_unique<TUnorderedList>(kClass, CompareProbes);
            default:
                return std::make_unique<TCircularList>(kClass, CompareProbes);
        }
    }

    void ExpectSame(TOrderedList& list, const Model& model, int step) {
        ASSERT_EQ(list.Count(), model.Count()) << "step " << step;
        if (model.marker < 0) {
            ASSERT_THROW(list.GetCurrent(), EContainerIsEmpty) << "step " << step;
        } else {
            ASSERT_EQ(list.GetCurrent(), model.items[model.marker]) << "step " << step;
        }
    }

    static inline const TClassRef kClass = TProbe::StaticClass();
};

/// Runs one random operation on both; returns what the list did as text for comparison.
template <class Op>
std::string Outcome(Op&& op) {
    try {
        return op();
    } catch (const Exception& e) {
        return std::string("error: ") + e.what();
    }
}

TEST_P(ListModelTest, MatchesTheModelOverLongRandomRuns) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        auto list = MakeList();
        Model model{GetParam(), {}, -1};
        auto* unordered = dynamic_cast<TUnorderedList*>(list.get());
        auto rand = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

        for (int step = 0; step < 2000; ++step) {
            const int value = rand(0, 6);  // few values: many ties
            TProbe probe(value);
            const int n = rand(0, 3);
            std::string got, want;
            switch (rand(0, 11)) {
                case 0:
                case 1: {
                    auto* item = new TProbe(value);
                    list->Add(item);
                    model.Add(item);
                    break;
                }
                case 2:
                    if (!unordered) break;
                    {
                        auto* item = new TProbe(value);
                        unordered->Append(item);
                        model.Insert(model.Count(), item);
                    }
                    break;
                case 3:
                    got = Outcome([&] { return std::to_string(list->FindOccurrence(&probe, n)); });
                    want = n < 1 ? "error: Invalid occurrence sought in TContainer"
                                 : std::to_string(model.Find(&probe, n));
                    break;
                case 4: {
                    // The model goes first: the list destroys what it deletes.
                    const bool found = n >= 1 && model.Find(&probe, n);
                    want = n < 1 ? "error: Invalid occurrence sought in TContainer"
                                 : std::to_string(found);
                    got =
                        Outcome([&] { return std::to_string(list->DeleteOccurrence(&probe, n)); });
                    if (found) model.Remove();
                    break;
                }
                case 5:
                    want = model.marker < 0 ? "error: TContainer is empty"
                                            : std::to_string(model.items[model.marker]->Value);
                    got = Outcome([&] {
                        std::unique_ptr<TObject> removed(list->RemoveCurrent());
                        return std::to_string(ValueOfItem(removed.get()));
                    });
                    if (model.marker >= 0) model.Remove();
                    break;
                case 6: {
                    const int index = rand(0, model.Count() + 1);
                    got = Outcome(
                        [&] { return std::to_string(ValueOfItem(list->GoToIndex(index))); });
                    if (index < 1 || index > model.Count()) {
                        want = "error: Invalid index in TContainer";
                    } else {
                        model.marker = index - 1;
                        want = std::to_string(model.items[index - 1]->Value);
                    }
                    break;
                }
                case 7:
                    got = std::to_string(list->First());
                    got += std::to_string(list->Last());
                    want = std::to_string(model.Count() > 0) + std::to_string(model.Count() > 0);
                    model.marker = model.Count() - 1;
                    break;
                case 8:
                    got = std::to_string(list->Next());
                    want = std::to_string(model.Next());
                    break;
                case 9:
                    got = std::to_string(list->Previous());
                    want = std::to_string(model.Previous());
                    break;
                case 10:
                    if (model.marker >= 0) {
                        auto* item = new TProbe(value);
                        list->SetCurrent(item);  // the old item is destroyed by the list
                        model.items[model.marker] = item;
                    }
                    break;
                case 11:
                    if (rand(0, 20) == 0) {
                        list->Clear();
                        model.items.clear();
                        model.marker = -1;
                    }
                    break;
            }
            ASSERT_EQ(got, want) << "seed " << seed << " step " << step;
            ExpectSame(*list, model, step);
            if (HasFatalFailure()) return;
        }
        // The whole order, by index, then by a walk.
        for (int i = 1; i <= model.Count(); ++i)
            ASSERT_EQ(list->GoToIndex(i), model.items[i - 1]) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(AllLists, ListModelTest,
                         ::testing::Values(Kind::Ordered, Kind::Unordered, Kind::Circular));

}  // namespace
