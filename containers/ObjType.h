// The root object class with run-time class identity, the error kinds and the
// comparison types shared by the whole library.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

class TObject;

/// One static record per class; its address is the class's identity.
struct TClass {
    const char* name;           // written to files: a literal, not typeid
    const TClass* parent;       // nullptr for TObject
    TObject* (*createBlank)();  // nullptr for abstract classes
    // Declared by a class that overrides the hooks the shortest-path search calls; its
    // subclasses inherit it (TObject::ClassObservesSearch). The search keeps the graph up
    // to date for such hooks at every step, and takes a faster road where none can look.
    bool observesSearch = false;
};
using TClassRef = const TClass*;

/// Tag for the constructor that makes a blank instance: every field zero, none
/// or empty, and none of the class's own set-up run. Only the object stream
/// asks for one, through TClass::createBlank.
struct TBlank {};
inline constexpr TBlank kBlank{};

/// Declares the class record and ClassType() inside a class body. The record is a
/// constant, filled in before the program runs, so that asking for it costs nothing: the
/// type checks of every item and every stream record ask for it.
#define DECLARE_CLASS()                                      \
protected:                                                   \
    static const TClass classRecord_;                        \
                                                             \
public:                                                      \
    static TClassRef StaticClass() { return &classRecord_; } \
    TClassRef ClassType() const override { return &classRecord_; }

/// Defines the class record of an abstract class (no blank instances).
#define IMPLEMENT_ABSTRACT_CLASS(Name, Parent) \
    constinit const TClass Name::classRecord_{#Name, &Parent::classRecord_, nullptr};

/// Defines the class record of a class with a blank constructor Name(TBlank).
#define IMPLEMENT_CLASS(Name, Parent)                                       \
    constinit const TClass Name::classRecord_{#Name, &Parent::classRecord_, \
                                              []() -> TObject* { return new Name(kBlank); }};

/// As IMPLEMENT_CLASS, for a class that overrides the hooks of the shortest-path search
/// (TGraphNode::Relaxed, TGraphEdge::Scanned): it declares observesSearch.
#define IMPLEMENT_SEARCH_OBSERVER_CLASS(Name, Parent) \
    constinit const TClass Name::classRecord_{        \
        #Name, &Parent::classRecord_, []() -> TObject* { return new Name(kBlank); }, true};

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static TClassRef StaticClass() { return &classRecord_; }
    virtual TClassRef ClassType() const { return &classRecord_; }

    const char* ClassName() const { return ClassType()->name; }
    bool InheritsFrom(TClassRef cls) const { return ClassInheritsFrom(ClassType(), cls); }

    /// True when cls is ancestor or one of its descendants.
    static bool ClassInheritsFrom(TClassRef cls, TClassRef ancestor) {
        for (TClassRef c = cls; c != nullptr; c = c->parent)
            if (c == ancestor) return true;
        return false;
    }
    /// True when cls or one of its ancestors declares observesSearch.
    static bool ClassObservesSearch(TClassRef cls) {
        for (TClassRef c = cls; c != nullptr; c = c->parent)
            if (c->observesSearch) return true;
        return false;
    }

protected:
    static const TClass classRecord_;
};

/// True when obj is present and an instance of T or of a class derived from it.
template <class T>
bool IsA(const TObject* obj) {
    return obj != nullptr && obj->InheritsFrom(T::StaticClass());
}

/// The checked downcast: EInvalidCast unless obj is a T (an absent obj passes as nullptr).
template <class T>
T* As(TObject* obj);

// ---------------------------------------------------------------------------
// Errors

/// The common base of every error this system raises; carries its message.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

#define DEFINE_ERROR_KIND(Name, Text) \
    class Name : public Exception {   \
    public:                           \
        Name() : Exception(Text) {}   \
    };

// The container library's twelve error kinds, each with its one fixed text.
DEFINE_ERROR_KIND(EInvalidObjectType, "Invalid object type in TContainer")
DEFINE_ERROR_KIND(EContainerIsEmpty, "TContainer is empty")
DEFINE_ERROR_KIND(EContainerIsFull, "TContainer is full")
DEFINE_ERROR_KIND(EInvalidIndex, "Invalid index in TContainer")
DEFINE_ERROR_KIND(ENewArraySizeTooSmall, "TArray new size is too small")
DEFINE_ERROR_KIND(EInvalidOccurrenceSought, "Invalid occurrence sought in TContainer")
DEFINE_ERROR_KIND(EInvalidArrayCapacity, "Invalid array capacity in TArray")
DEFINE_ERROR_KIND(EClassNotRegistered, "Class not registered")
DEFINE_ERROR_KIND(ECompareFuncNotRegistered, "Compare function not registered")
DEFINE_ERROR_KIND(EClassVersionNotRegistered, "Class version not registered")
DEFINE_ERROR_KIND(EDuplicateCompareFunc, "Duplicate compare function")
DEFINE_ERROR_KIND(EDuplicateRegisteredClass, "Duplicate registered class")

// Platform errors that the library lets through with their texts.
DEFINE_ERROR_KIND(EInvalidCast, "Invalid class typecast")
DEFINE_ERROR_KIND(EInvalidOp, "Invalid floating point operation")

class EMathError : public Exception {
    using Exception::Exception;
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
};

class EListError : public Exception {
public:
    explicit EListError(int index)
        : Exception("List index out of bounds (" + std::to_string(index) + ")") {}
};

class EStreamError : public Exception {
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
    explicit EReadError(std::string message) : EStreamError(std::move(message)) {}
};
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    explicit EWriteError(std::string message) : EStreamError(std::move(message)) {}
};
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& fileName)
        : EStreamError("Cannot open file " + fileName) {}
};
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& fileName)
        : EStreamError("Cannot create file " + fileName) {}
};

inline constexpr const char* kInvalidStreamFormat = "Invalid stream format";
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";

template <class T>
T* As(TObject* obj) {
    if (obj != nullptr && !obj->InheritsFrom(T::StaticClass())) throw EInvalidCast();
    return static_cast<T*>(obj);
}

// ---------------------------------------------------------------------------
// Comparison and callbacks

/// The result of every compare function; one byte.
enum TCompareResult : std::uint8_t { crEqual = 0, crLess = 1, crGreater = 2 };

/// In a search the caller's object is the first argument and the stored item
/// the second; of two stored items the one nearer the front is the first.
/// A plain function pointer, so that the registry can name it by identity.
using TCompareFunc = TCompareResult (*)(TObject* a, TObject* b);

/// What a compare function promises beyond its results, declared where it is registered.
/// A sorted list reading its items from a stream uses it to find each item's place without
/// walking from the front: the same place, the same errors at the same item.
enum class TCompareKind : std::uint8_t {
    /// Nothing is promised: every item's place is found by the walk.
    Opaque,
    /// The same result for any two objects, and never an error (CompareEqual, ...).
    Constant,
    /// crEqual for an object and itself, crGreater for two distinct objects; never an error.
    Identity,
    /// A total preorder of the objects it accepts: transitive, crLess for (a, b) exactly
    /// when crGreater for (b, a), and crEqual both ways or neither. Accepting is a property
    /// of each object alone: a comparison raises exactly when an argument is not accepted.
    /// Depends on nothing but the two objects and changes nothing.
    TotalOrder,
};

/// arg is an opaque pointer-wide value passed through from the caller.
using TForEachProc = void (*)(TObject* item, void* arg);
using TForEachMethod = std::function<void(TObject* item, void* arg)>;

/// The start-up step of the unit: the error texts are compile-time constants,
/// so there is nothing left to prepare; kept so that start-up reads in order.
void ObjTypeStartup();
