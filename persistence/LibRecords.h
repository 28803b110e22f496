// The stream records of the container library's classes and of the boxed
// values. Every procedure here has the shape of a TObjectReadProc or
// TObjectWriteProc; the pieces that records share are public so that other
// containers can build their records from them.
#pragma once

#include <cstdint>

#include "containers/ObjBase.h"
#include "persistence/ObjStream.h"

/// The fewest bytes one object frame takes: signature, class-name string, version.
inline constexpr std::uint64_t kMinFrameBytes = 8;

/// The class name of ItemClass (written whether or not it is registered; empty
/// when there is none), then the registered name of the compare function.
/// ECompareFuncNotRegistered after the class name when the function has no name.
void WriteContainerHeader(TContainer* container, TObjectWriter& writer);
/// Reads the two names back through the registry and restores the header: the
/// container owns its items and counts none. EClassNotRegistered,
/// ECompareFuncNotRegistered. REQUIRES: container holds no items.
void ReadContainerHeader(TContainer* container, TObjectReader& reader);

/// Count, then exactly Count items from the first, each as a nested frame.
void WriteNodeContainerBody(TNodeContainer* container, TObjectWriter& writer);
/// Reads the count and puts each item read where the container's own Add puts it,
/// so items are type-checked and a sorted container re-sorts them. An item Add
/// refuses is destroyed and its error passed on. Linear or O(n log n) in the count
/// for a TOrderedList whose compare function is registered as Constant, Identity or
/// TotalOrder (TRecordItems); quadratic at worst for one registered as Opaque.
void ReadNodeContainerBody(TNodeContainer* container, TObjectReader& reader);
/// A count of nested frames to follow; a negative count means none. "Stream
/// read error" when the stream is known to be too short for that many frames.
int ReadFrameCount(TObjectReader& reader);

/// The linked lists' record: header and node-container body. Shared by every
/// TNodeContainer class that adds no fields of its own.
void WriteListRecord(TObject* list, TObjectWriter& writer);
void ReadListRecord(TObject* list, TObjectReader& reader);

/// Header, Count, Capacity, Growth, Sorted, then the items in slot order.
/// Reading: EInvalidArrayCapacity for a capacity below 1; the items pass
/// through Add, so EContainerIsFull when they exceed a capacity that cannot grow.
void WriteArrayRecord(TObject* array, TObjectWriter& writer);
void ReadArrayRecord(TObject* array, TObjectReader& reader);

/// Header, then the inner list as a nested frame, which when read must be a
/// TUnorderedList or a subclass (EInvalidCast otherwise).
void WriteStackRecord(TObject* stack, TObjectWriter& writer);
void ReadStackRecord(TObject* stack, TObjectReader& reader);

/// Str, whether Obj is present, Obj. A combo read back owns its object.
void WriteStringComboRecord(TObject* combo, TObjectWriter& writer);
void ReadStringComboRecord(TObject* combo, TObjectReader& reader);

/// Size, then the bytes; shared by TBucket and every typed bucket. Reading
/// keeps the low 16 bits of the size.
void WriteBucketRecord(TObject* bucket, TObjectWriter& writer);
void ReadBucketRecord(TObject* bucket, TObjectReader& reader);

/// Size and the whole content; writing first moves the stream to its start,
/// reading leaves the position where it was. A negative size reads as
/// "Invalid property value"; a content of 2 GiB or more cannot be written
/// ("Stream write error"): the size field is a 32-bit integer.
void WriteMemoryStreamRecord(TObject* stream, TObjectWriter& writer);
void ReadMemoryStreamRecord(TObject* stream, TObjectReader& reader);
