#include "persistence/LibRecords.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "containers/ObjArray.h"
#include "containers/ObjList.h"
#include "containers/ObjStack.h"
#include "persistence/ObjPerst.h"
#include "values/ObjBuckt.h"

namespace {

// Room made for an array's items before they are read; more comes as they arrive.
constexpr std::int32_t kItemsReservedAtMost = 4096;

}  // namespace

// ----------------------------------------------------------------------------
// Shared parts

void WriteContainerHeader(TContainer* container, TObjectWriter& writer) {
    const TClassRef itemClass = container->GetItemClass();
    writer.WriteText(itemClass != nullptr ? itemClass->name : "");
    writer.WriteText(GetCompareFuncName(container->GetCompareFunction()));
}

void ReadContainerHeader(TContainer* container, TObjectReader& reader) {
    const TClassRef itemClass = GetStreamableClass(reader.ReadText());
    const TCompareFunc compareFunc = GetCompareFunc(reader.ReadText());
    container->RestoreHeader(itemClass, compareFunc);
}

void WriteNodeContainerBody(TNodeContainer* container, TObjectWriter& writer) {
    const int count = container->Count();
    writer.WriteInt(count);
    // Counted rather than walked to the end: a circular list's Next never fails.
    for (int written = 0; written < count; ++written) {
        if (written == 0 ? !container->First() : !container->Next()) break;
        writer.WriteObject(container->GetCurrent());
    }
}

int ReadFrameCount(TObjectReader& reader) {
    const std::int32_t count = reader.ReadInt();
    if (count <= 0) return 0;
    reader.CheckAvailable(static_cast<std::uint64_t>(count) * kMinFrameBytes);
    return count;
}

void ReadNodeContainerBody(TNodeContainer* container, TObjectReader& reader) {
    const int count = ReadFrameCount(reader);
    // A sorted list's walk to each item's place would cost count * count / 2 comparisons
    // for a file stored in order; what the compare function promises spares it.
    TRecordItems items(*container, GetCompareFuncKind(container->GetCompareFunction()));
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TObject> item(reader.ReadObject());
        items.Add(item.get());
        item.release();  // the container owns it now
    }
}

// ----------------------------------------------------------------------------
// Containers

void WriteListRecord(TObject* list, TObjectWriter& writer) {
    auto* container = As<TNodeContainer>(list);
    WriteContainerHeader(container, writer);
    WriteNodeContainerBody(container, writer);
}

void ReadListRecord(TObject* list, TObjectReader& reader) {
    auto* container = As<TNodeContainer>(list);
    ReadContainerHeader(container, reader);
    ReadNodeContainerBody(container, reader);
}

void WriteArrayRecord(TObject* array, TObjectWriter& writer) {
    auto* items = As<TArray>(array);
    WriteContainerHeader(items, writer);
    writer.WriteInt(items->Count());
    writer.WriteInt(items->GetCapacity());
    writer.WriteInt(items->GetGrowth());
    writer.WriteBool(items->IsSorted());
    for (int i = 1; i <= items->Count(); ++i) writer.WriteObject(items->GetItem(i));
}

void ReadArrayRecord(TObject* array, TObjectReader& reader) {
    auto* items = As<TArray>(array);
    ReadContainerHeader(items, reader);
    const std::int32_t count = reader.ReadInt();
    const std::int32_t capacity = reader.ReadInt();
    const std::int32_t growth = reader.ReadInt();
    const bool sorted = reader.ReadBool();
    if (capacity < 1) throw EInvalidArrayCapacity();
    if (count > 0) reader.CheckAvailable(static_cast<std::uint64_t>(count) * kMinFrameBytes);
    // A stream of unknown size cannot vouch for the count: room beyond this grows as items come.
    items->RestoreShape(capacity, growth, sorted, std::min(count, kItemsReservedAtMost));
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TObject> item(reader.ReadObject());
        items->Add(item.get());
        item.release();
    }
}

void WriteStackRecord(TObject* stack, TObjectWriter& writer) {
    auto* items = As<TStack>(stack);
    WriteContainerHeader(items, writer);
    writer.WriteObject(items->GetInnerList());
}

void ReadStackRecord(TObject* stack, TObjectReader& reader) {
    auto* items = As<TStack>(stack);
    ReadContainerHeader(items, reader);
    items->AdoptInnerList(ReadObjectAs<TUnorderedList>(reader));
}

// ----------------------------------------------------------------------------
// Boxed values

void WriteStringComboRecord(TObject* combo, TObjectWriter& writer) {
    auto* value = As<TStringCombo>(combo);
    writer.WriteText(value->Str);
    writer.WriteBool(value->Obj != nullptr);
    if (value->Obj != nullptr) writer.WriteObject(value->Obj);
}

void ReadStringComboRecord(TObject* combo, TObjectReader& reader) {
    auto* value = As<TStringCombo>(combo);
    value->Str = reader.ReadText();
    if (reader.ReadBool()) value->Obj = reader.ReadObject();
    value->OwnsObj = true;
}

void WriteBucketRecord(TObject* bucket, TObjectWriter& writer) {
    auto* value = As<TBucket>(bucket);
    writer.WriteInt(value->Size());
    writer.WriteBytes(value->Data(), value->Size());
}

void ReadBucketRecord(TObject* bucket, TObjectReader& reader) {
    auto* value = As<TBucket>(bucket);
    const auto size = static_cast<std::uint16_t>(reader.ReadInt());
    reader.CheckAvailable(size);
    std::vector<std::uint8_t> bytes(size);
    reader.ReadBytes(bytes.data(), size);
    value->SetData(size, bytes.data());
}

void WriteMemoryStreamRecord(TObject* stream, TObjectWriter& writer) {
    auto* memory = As<TMemoryStream>(stream);
    if (memory->Size() > INT32_MAX) throw EWriteError();
    memory->Seek(-memory->Position());
    writer.WriteInt(static_cast<std::int32_t>(memory->Size()));
    writer.WriteBytes(memory->Memory(), static_cast<std::size_t>(memory->Size()));
}

void ReadMemoryStreamRecord(TObject* stream, TObjectReader& reader) {
    auto* memory = As<TMemoryStream>(stream);
    const std::int32_t size = reader.ReadInt();
    if (size < 0) throw EReadError(kInvalidPropertyValue);
    reader.CheckAvailable(static_cast<std::uint64_t>(size));
    // Grown as the bytes arrive: a stream of unknown size may end long before size bytes.
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(size)) {
        const std::size_t piece = TReader::GrowthStep(done, static_cast<std::size_t>(size) - done);
        memory->SetSize(done + piece);
        reader.ReadBytes(memory->Memory() + done, piece);
        done += piece;
    }
}
