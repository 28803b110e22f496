// Property maps over a snapshot's graph for the Boost Graph Library's algorithms: values
// kept in vectors by vertex or by out-edge slot, and the edges' weights.
#pragma once

#include <boost/property_map/function_property_map.hpp>
#include <boost/property_map/property_map.hpp>
#include <boost/range/iterator_range.hpp>
#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// A vector as a map by vertex. REQUIRES: values.size() == the vertex count.
template <class T>
auto ByVertex(std::vector<T>& values) {
    return boost::make_iterator_property_map(values.begin(),
                                             boost::typed_identity_property_map<TSnapshotVertex>());
}

/// A vector as a map by out-edge slot. REQUIRES: values.size() == the graph's edge count.
template <class T>
auto BySlot(const TSnapshotGraph& graph, std::vector<T>& values) {
    return boost::make_iterator_property_map(values.begin(), boost::get(boost::edge_index, graph));
}

/// The stored weights.
inline auto WeightMap(const TSnapshotGraph& graph) {
    return boost::get(&TSnapshotEdge::weight, graph);
}

/// The 0-based vertex of a 1-based position and back.
inline TSnapshotVertex VertexOf(int position) { return static_cast<TSnapshotVertex>(position - 1); }
inline int PositionOfVertex(TSnapshotVertex vertex) { return static_cast<int>(vertex) + 1; }

/// A read-write map that counts each write against a meter: a cancellation point inside
/// the Boost algorithms that take no visitor.
template <class Map>
class TMeteredMap {
public:
    using key_type = typename boost::property_traits<Map>::key_type;
    using value_type = typename boost::property_traits<Map>::value_type;
    using reference = value_type;
    using category = boost::read_write_property_map_tag;

    TMeteredMap(Map map, TWorkMeter& meter) : map_(map), meter_(&meter) {}

    friend value_type get(const TMeteredMap& m, const key_type& key) {
        return boost::get(m.map_, key);
    }
    friend void put(const TMeteredMap& m, const key_type& key, const value_type& value) {
        m.meter_->Step();
        boost::put(m.map_, key, value);
    }

private:
    Map map_;
    TWorkMeter* meter_;
};

template <class Map>
TMeteredMap<Map> Metered(Map map, TWorkMeter& meter) {
    return TMeteredMap<Map>(map, meter);
}
