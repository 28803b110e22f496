// The process-wide registries of streamable classes, named compare functions
// and named hash functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "containers/ObjList.h"

class TObjectReader;
class TObjectWriter;

/// Fills a blank instance of its class from the stream.
using TObjectReadProc = void (*)(TObject* object, TObjectReader& reader);
/// Writes the object's record.
using TObjectWriteProc = void (*)(TObject* object, TObjectWriter& writer);
/// A named hash function; kept for completeness, nothing registers one yet.
using THashFunc = std::uint32_t (*)(TObject* object);

/// One streamable class: its name, its class record and one reader and one
/// writer per version of its record, version 1 first.
class TStreamableInterface : public TObject {
    DECLARE_CLASS()
public:
    /// Each procedure is boxed in a TBucket of its own. REQUIRES: cls has a
    /// createBlank factory.
    TStreamableInterface(TClassRef cls, const std::vector<TObjectReadProc>& readers,
                         const std::vector<TObjectWriteProc>& writers);
    /// A search probe: only its Name counts.
    explicit TStreamableInterface(std::string name);

    /// EClassVersionNotRegistered ("Class version not registered") unless
    /// 1 <= version <= the number of readers.
    TObjectReadProc GetReader(std::uint16_t version) const;
    /// The same on the writers.
    TObjectWriteProc GetWriter(std::uint16_t version) const;

    std::string Name;
    TClassRef StreamClass = nullptr;
    std::unique_ptr<TUnorderedList> Readers;  // of TBucket, CompareLess
    std::unique_ptr<TUnorderedList> Writers;
    std::uint16_t Version = 0;  // the number of writers, fixed at registration
};

class TCompareFuncEntry : public TObject {
    DECLARE_CLASS()
public:
    TCompareFuncEntry(std::string name, TCompareFunc func, TCompareKind kind = TCompareKind::Opaque)
        : Name(std::move(name)), Func(func), Kind(kind) {}

    std::string Name;
    TCompareFunc Func;  // none in a search probe
    TCompareKind Kind;  // what the registration declares of Func
};

class THashFuncEntry : public TObject {
    DECLARE_CLASS()
public:
    THashFuncEntry(std::string name, THashFunc func) : Name(std::move(name)), Func(func) {}

    std::string Name;
    THashFunc Func;
};

// The registries: owning unordered lists ordered by the case-sensitive name
// collation, created on first use and destroyed by ShutdownRegistries. Each search
// leaves the registry's marker where FindOccurrence leaves it, and each registration
// is Added after the marker, so a lookup between registrations decides where the next
// one lands. Nothing removes an entry before shut-down.
TUnorderedList* StreamableRegistry();
TUnorderedList* CompareFuncRegistry();
TUnorderedList* HashFuncRegistry();

/// Adds cls under its own name, readers[i] and writers[i] for version i + 1.
/// EInvalidObjectType ("Invalid object type in TContainer") when cls is absent, has
/// no createBlank factory (an abstract class: the stream could not make one to read
/// into) or a procedure is absent; EDuplicateRegisteredClass ("Duplicate registered
/// class") when a class of the same name is registered. No entry is added then.
void RegisterStreamableClass(TClassRef cls, const std::vector<TObjectReadProc>& readers,
                             const std::vector<TObjectWriteProc>& writers);
/// The entry registered under name (equal under the case-sensitive collation);
/// EClassNotRegistered ("Class not registered") when there is none.
TStreamableInterface* FindStreamableInterface(const std::string& name);
/// FindStreamableInterface(name)->StreamClass.
TClassRef GetStreamableClass(const std::string& name);

/// EDuplicateCompareFunc ("Duplicate compare function") when the name is
/// taken. One function may be registered under several names. kind is what func
/// promises beyond its results (see TCompareKind); a wrong promise makes sorted
/// lists read from streams come back in another order than Add would give them.
void RegisterCompareFunc(const std::string& name, TCompareFunc func,
                         TCompareKind kind = TCompareKind::Opaque);
/// ECompareFuncNotRegistered ("Compare function not registered") for an unknown name.
TCompareFunc GetCompareFunc(const std::string& name);
/// The name of the first entry, from the registry's front, that holds func; the
/// marker stays on it (on the last entry when none holds func).
/// ECompareFuncNotRegistered when there is none, when func is empty, and when
/// that name is empty.
std::string GetCompareFuncName(TCompareFunc func);
/// The kind declared when func was registered; Opaque when it is not registered, and
/// when its registrations under several names declare different kinds.
TCompareKind GetCompareFuncKind(TCompareFunc func);

/// Destroys the hash-function, compare-function and class registries, in this
/// order, with their entries. Harmless when they are gone already; a later
/// accessor call makes a new, empty registry.
void ShutdownRegistries();
/// Changes each time ShutdownRegistries runs: an entry kept from a lookup is still
/// registered while this stays the same.
std::uint64_t RegistryGeneration();
