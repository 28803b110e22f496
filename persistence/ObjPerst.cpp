#include "persistence/ObjPerst.h"

#include <atomic>
#include <cassert>
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

/// The three registries and the indexes that spare a lookup the collation walk.
/// An index hit is the one entry whose name collates equal, because no two
/// entries of a registry collate equal; a miss falls back to the walk.
struct TRegistries {
    std::unique_ptr<TUnorderedList> classes;
    std::unique_ptr<TUnorderedList> compareFuncs;
    std::unique_ptr<TUnorderedList> hashFuncs;
    std::unordered_map<std::string, TStreamableInterface*> classByName;
    std::unordered_map<std::string, TCompareFuncEntry*> compareByName;
    std::unordered_map<TCompareFunc, TCompareFuncEntry*> firstEntryOfFunc;
    std::unordered_map<TCompareFunc, TCompareKind> kindOfFunc;
};

TRegistries& Registries() {
    static TRegistries registries;
    return registries;
}

std::atomic<std::uint64_t> registryGeneration{0};

template <class Entry>
TUnorderedList* Registry(std::unique_ptr<TUnorderedList>& slot) {
    if (slot == nullptr)
        slot = std::make_unique<TUnorderedList>(Entry::StaticClass(), &CompareEntryNames<Entry>);
    return slot.get();
}

/// The registry's entry that collates equal with probe, or none; the
/// registry's marker is on it when found.
template <class Entry>
Entry* SearchByCollation(TUnorderedList* registry, Entry* probe) {
    if (!registry->FindOccurrence(probe, 1)) return nullptr;
    return static_cast<Entry*>(registry->GetCurrent());
}

template <class Entry>
Entry* FindEntry(TUnorderedList* registry, const std::unordered_map<std::string, Entry*>& index,
                 Entry* probe) {
    const auto hit = index.find(probe->Name);
    if (hit != index.end()) return hit->second;
    return SearchByCollation(registry, probe);
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

TUnorderedList* StreamableRegistry() {
    return Registry<TStreamableInterface>(Registries().classes);
}

TUnorderedList* CompareFuncRegistry() {
    return Registry<TCompareFuncEntry>(Registries().compareFuncs);
}

TUnorderedList* HashFuncRegistry() { return Registry<THashFuncEntry>(Registries().hashFuncs); }

void ShutdownRegistries() {
    registryGeneration.fetch_add(1, std::memory_order_relaxed);
    TRegistries& r = Registries();
    r.classByName.clear();
    r.compareByName.clear();
    r.firstEntryOfFunc.clear();
    r.kindOfFunc.clear();
    r.hashFuncs.reset();
    r.compareFuncs.reset();
    r.classes.reset();
}

// ----------------------------------------------------------------------------
// Classes

void RegisterStreamableClass(TClassRef cls, const std::vector<TObjectReadProc>& readers,
                             const std::vector<TObjectWriteProc>& writers) {
    assert(cls != nullptr && cls->createBlank != nullptr);  // the stream could not make one
    TUnorderedList* registry = StreamableRegistry();
    auto entry = std::make_unique<TStreamableInterface>(cls, readers, writers);
    if (FindEntry(registry, Registries().classByName, entry.get()) != nullptr)
        throw EDuplicateRegisteredClass();
    // Appended, so that the registry keeps the order of registration whatever
    // lookups have done to its marker.
    registry->Append(entry.get());
    TStreamableInterface* added = entry.release();
    Registries().classByName.emplace(added->Name, added);
}

std::uint64_t RegistryGeneration() { return registryGeneration.load(std::memory_order_relaxed); }

TStreamableInterface* FindStreamableInterface(const std::string& name) {
    TRegistries& r = Registries();
    const auto hit = r.classByName.find(name);
    if (hit != r.classByName.end()) return hit->second;
    TStreamableInterface probe(name);
    TStreamableInterface* found = SearchByCollation(StreamableRegistry(), &probe);
    if (found == nullptr) throw EClassNotRegistered();
    return found;
}

TClassRef GetStreamableClass(const std::string& name) {
    return FindStreamableInterface(name)->StreamClass;
}

// ----------------------------------------------------------------------------
// Compare functions

void RegisterCompareFunc(const std::string& name, TCompareFunc func, TCompareKind kind) {
    TUnorderedList* registry = CompareFuncRegistry();
    auto entry = std::make_unique<TCompareFuncEntry>(name, func, kind);
    if (FindEntry(registry, Registries().compareByName, entry.get()) != nullptr)
        throw EDuplicateCompareFunc();
    registry->Append(entry.get());
    TCompareFuncEntry* added = entry.release();
    Registries().compareByName.emplace(added->Name, added);
    if (func == nullptr) return;
    // Appending keeps the first registration of a function the first from the front.
    Registries().firstEntryOfFunc.try_emplace(func, added);
    // Two registrations that disagree cannot both be right: the walk is right for either.
    const auto [known, first] = Registries().kindOfFunc.try_emplace(func, kind);
    if (!first && known->second != kind) known->second = TCompareKind::Opaque;
}

TCompareFunc GetCompareFunc(const std::string& name) {
    TRegistries& r = Registries();
    const auto hit = r.compareByName.find(name);
    if (hit != r.compareByName.end()) return hit->second->Func;
    TCompareFuncEntry probe(name, nullptr);
    TCompareFuncEntry* found = SearchByCollation(CompareFuncRegistry(), &probe);
    if (found == nullptr) throw ECompareFuncNotRegistered();
    return found->Func;
}

std::string GetCompareFuncName(TCompareFunc func) {
    if (func == nullptr) throw ECompareFuncNotRegistered();
    std::string name;
    TRegistries& r = Registries();
    const auto hit = r.firstEntryOfFunc.find(func);
    if (hit != r.firstEntryOfFunc.end()) {
        name = hit->second->Name;
    } else {
        TUnorderedList* registry = CompareFuncRegistry();
        for (bool more = registry->First(); more; more = registry->Next()) {
            auto* entry = static_cast<TCompareFuncEntry*>(registry->GetCurrent());
            if (entry->Func == func) {
                name = entry->Name;
                break;
            }
        }
    }
    if (name.empty()) throw ECompareFuncNotRegistered();
    return name;
}

TCompareKind GetCompareFuncKind(TCompareFunc func) {
    const TRegistries& r = Registries();
    const auto hit = r.kindOfFunc.find(func);
    return hit != r.kindOfFunc.end() ? hit->second : TCompareKind::Opaque;
}
