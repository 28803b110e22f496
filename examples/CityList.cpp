// A class of this program's own made streamable: registered at start-up with a reader and
// a writer, its objects kept in one of the library's ordered lists, the list saved to a
// file and read back.
//
//   city_list FILE
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "containers/ObjList.h"
#include "persistence/LibraryStartup.h"
#include "persistence/ObjPerst.h"
#include "persistence/ObjStream.h"

namespace {

class TCity : public TObject {
    DECLARE_CLASS()
public:
    TCity(std::string name, std::int32_t population)
        : Name(std::move(name)), Population(population) {}

    std::string Name;
    std::int32_t Population = 0;

private:
    // What the stream makes to read a city into: every field empty.
    explicit TCity(TBlank) {}
};

IMPLEMENT_CLASS(TCity, TObject)

// The record of version 1: the name, then the population.
void WriteCity(TObject* object, TObjectWriter& writer) {
    auto* city = As<TCity>(object);
    writer.WriteText(city->Name);
    writer.WriteInt(city->Population);
}

void ReadCity(TObject* object, TObjectReader& reader) {
    auto* city = As<TCity>(object);
    city->Name = reader.ReadText();
    city->Population = reader.ReadInt();
}

// Smaller towns first. A list's record names its compare function, so it is registered.
TCompareResult CompareCities(TObject* a, TObject* b) {
    const std::int32_t x = As<TCity>(a)->Population, y = As<TCity>(b)->Population;
    return x < y ? crLess : x > y ? crGreater : crEqual;
}

void CityListStartup() {
    RegisterStreamableClass(TCity::StaticClass(), {&ReadCity}, {&WriteCity});
    RegisterCompareFunc("CompareCities", &CompareCities);
}

void AddCity(TOrderedList& list, const std::string& name, std::int32_t population) {
    auto city = std::make_unique<TCity>(name, population);
    list.Add(city.get());
    city.release();  // the list owns it from here
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: city_list FILE\n";
        return 2;
    }
    RegisterLibraryUnits();  // the library's own classes and compare functions first
    CityListStartup();
    try {
        TOrderedList cities(TCity::StaticClass(), &CompareCities);
        AddCity(cities, "Paris", 2102650);
        AddCity(cities, "Lyon", 522250);
        AddCity(cities, "Marseille", 873076);
        SaveObjectToFile(&cities, argv[1], true);

        std::unique_ptr<TObject> object(LoadObjectFromFile(argv[1], true));
        auto* loaded = As<TOrderedList>(object.get());
        std::cout << "read back " << loaded->Count() << " cities:\n";
        for (bool more = loaded->First(); more; more = loaded->Next()) {
            const auto* city = As<TCity>(loaded->GetCurrent());
            std::cout << city->Name << " " << city->Population << "\n";
        }
    } catch (const Exception& e) {
        std::cerr << "city_list: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
