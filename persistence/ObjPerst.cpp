#include "persistence/ObjPerst.h"

#include <atomic>
#include <unordered_map>

#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

IMPLEMENT_ABSTRACT_CLASS(TStreamableInterface, TObject)
IMPLEMENT_ABSTRACT_CLASS(TCompareFuncEntry, TObject)
IMPLEMENT_ABSTRACT_CLASS(THashFuncEntry, TObject)

namespace {

// The registries order their entries by name, whatever the entry class.
template <class Entry>
TCompareResult CompareEntryNames(TObject* a, TObject* b) {
    return CompareNames(static_cast<Entry*>(a)->Name, static_cast<Entry*>(b)->Name);
}

/// A registry: an owning unordered list of entries under the name collation, which can
/// also be searched by a name's bytes. An entry of exactly the name sought is the one
/// entry that the collation search finds, since no two entries of a registry collate
/// equal, and finding it so costs no collation.
template <class Entry>
class TRegistryList : public TUnorderedList {
public:
    TRegistryList() : TUnorderedList(Entry::StaticClass(), &CompareEntryNames<Entry>) {}

    /// The entry named exactly name, with the marker on it as FindOccurrence leaves it;
    /// none, with the marker where it was.
    Entry* FindExactly(const std::string& name) {
        int index = 1;
        for (TListNode* node = Head; node != nullptr; node = node->NextNode, ++index) {
            auto* entry = static_cast<Entry*>(node->Item);
            if (entry->Name != name) continue;
            SetMarker(node, index);
            return entry;
        }
        return nullptr;
    }

    /// The entry whose name collates equal with probe's, with the marker on it; none,
    /// with the marker where it was.
    Entry* Search(Entry* probe) {
        if (Entry* exact = FindExactly(probe->Name)) return exact;
        if (!FindOccurrence(probe, 1)) return nullptr;
        return static_cast<Entry*>(GetCurrent());
    }
};

struct TRegistries {
    std::unique_ptr<TRegistryList<TStreamableInterface>> classes;
    std::unique_ptr<TRegistryList<TCompareFuncEntry>> compareFuncs;
    std::unique_ptr<TRegistryList<THashFuncEntry>> hashFuncs;
    // What each registered function promises about its order, for the readers of sorted
    // lists; not an index of the registry, so it cannot answer a lookup differently.
    std::unordered_map<TCompareFunc, TCompareKind> kindOfFunc;
};

TRegistries& Registries() {
    static TRegistries registries;
    return registries;
}

std::atomic<std::uint64_t> registryGeneration{0};

template <class Entry>
TRegistryList<Entry>& Registry(std::unique_ptr<TRegistryList<Entry>>& slot) {
    if (slot == nullptr) slot = std::make_unique<TRegistryList<Entry>>();
    return *slot;
}

TRegistryList<TStreamableInterface>& Classes() { return Registry(Registries().classes); }
TRegistryList<TCompareFuncEntry>& CompareFuncs() { return Registry(Registries().compareFuncs); }

template <class Proc>
bool AnyMissing(const std::vector<Proc>& procs) {
    for (Proc proc : procs)
        if (proc == nullptr) return true;
    return false;
}

std::unique_ptr<TUnorderedList> MakeProcedureList() {
    return std::make_unique<TUnorderedList>(TBucket::StaticClass(), &CompareLess);
}

template <class Proc>
void AddProcedures(TUnorderedList& list, const std::vector<Proc>& procs) {
    for (Proc proc : procs) {
        auto bucket = std::make_unique<TBucket>(sizeof proc, &proc);
        list.Add(bucket.get());
        bucket.release();  // the list owns it
    }
}

template <class Proc>
Proc ProcedureAt(TUnorderedList* list, std::uint16_t version) {
    if (list == nullptr || version < 1 || version > list->Count())
        throw EClassVersionNotRegistered();
    Proc proc = nullptr;
    static_cast<TBucket*>(list->GoToIndex(version))->GetValue(&proc);
    return proc;
}

}  // namespace

// ----------------------------------------------------------------------------
// Entries

TStreamableInterface::TStreamableInterface(TClassRef cls,
                                           const std::vector<TObjectReadProc>& readers,
                                           const std::vector<TObjectWriteProc>& writers)
    : Name(cls->name),
      StreamClass(cls),
      Readers(MakeProcedureList()),
      Writers(MakeProcedureList()) {
    AddProcedures(*Readers, readers);
    AddProcedures(*Writers, writers);
    Version = static_cast<std::uint16_t>(Writers->Count());
}

TStreamableInterface::TStreamableInterface(std::string name) : Name(std::move(name)) {}

TObjectReadProc TStreamableInterface::GetReader(std::uint16_t version) const {
    return ProcedureAt<TObjectReadProc>(Readers.get(), version);
}

TObjectWriteProc TStreamableInterface::GetWriter(std::uint16_t version) const {
    return ProcedureAt<TObjectWriteProc>(Writers.get(), version);
}

// ----------------------------------------------------------------------------
// Registries

TUnorderedList* StreamableRegistry() { return &Classes(); }

TUnorderedList* CompareFuncRegistry() { return &CompareFuncs(); }

TUnorderedList* HashFuncRegistry() { return &Registry(Registries().hashFuncs); }

void ShutdownRegistries() {
    registryGeneration.fetch_add(1, std::memory_order_relaxed);
    TRegistries& r = Registries();
    r.kindOfFunc.clear();
    r.hashFuncs.reset();
    r.compareFuncs.reset();
    r.classes.reset();
}

std::uint64_t RegistryGeneration() { return registryGeneration.load(std::memory_order_relaxed); }

// ----------------------------------------------------------------------------
// Classes

void RegisterStreamableClass(TClassRef cls, const std::vector<TObjectReadProc>& readers,
                             const std::vector<TObjectWriteProc>& writers) {
    // Refused now rather than at the first read: the stream makes a blank instance of
    // every class it reads and calls each procedure it finds.
    if (cls == nullptr || cls->createBlank == nullptr || AnyMissing(readers) || AnyMissing(writers))
        throw EInvalidObjectType();
    TRegistryList<TStreamableInterface>& registry = Classes();
    auto entry = std::make_unique<TStreamableInterface>(cls, readers, writers);
    if (registry.Search(entry.get()) != nullptr) throw EDuplicateRegisteredClass();
    registry.Add(entry.get());
    entry.release();  // the registry owns it
}

TStreamableInterface* FindStreamableInterface(const std::string& name) {
    TStreamableInterface probe(name);
    TStreamableInterface* found = Classes().Search(&probe);
    if (found == nullptr) throw EClassNotRegistered();
    return found;
}

TClassRef GetStreamableClass(const std::string& name) {
    return FindStreamableInterface(name)->StreamClass;
}

// ----------------------------------------------------------------------------
// Compare functions

void RegisterCompareFunc(const std::string& name, TCompareFunc func, TCompareKind kind) {
    TRegistryList<TCompareFuncEntry>& registry = CompareFuncs();
    auto entry = std::make_unique<TCompareFuncEntry>(name, func, kind);
    if (registry.Search(entry.get()) != nullptr) throw EDuplicateCompareFunc();
    registry.Add(entry.get());
    entry.release();
    if (func == nullptr) return;
    // Two registrations that disagree cannot both be right: the walk is right for either.
    const auto [known, first] = Registries().kindOfFunc.try_emplace(func, kind);
    if (!first && known->second != kind) known->second = TCompareKind::Opaque;
}

TCompareFunc GetCompareFunc(const std::string& name) {
    TCompareFuncEntry probe(name, nullptr);
    TCompareFuncEntry* found = CompareFuncs().Search(&probe);
    if (found == nullptr) throw ECompareFuncNotRegistered();
    return found->Func;
}

std::string GetCompareFuncName(TCompareFunc func) {
    std::string name;
    TUnorderedList& registry = CompareFuncs();
    for (bool more = registry.First(); more; more = registry.Next()) {
        const auto* entry = static_cast<TCompareFuncEntry*>(registry.GetCurrent());
        if (entry->Func == func) {
            name = entry->Name;
            break;
        }
    }
    // An empty function names nothing, even where an entry holds none.
    if (name.empty() || func == nullptr) throw ECompareFuncNotRegistered();
    return name;
}

TCompareKind GetCompareFuncKind(TCompareFunc func) {
    const TRegistries& r = Registries();
    const auto hit = r.kindOfFunc.find(func);
    return hit != r.kindOfFunc.end() ? hit->second : TCompareKind::Opaque;
}
