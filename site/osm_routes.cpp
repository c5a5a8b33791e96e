#include "site/osm_routes.h"

#include <iterator>
#include <map>
#include <osmium/io/any_input.hpp>
#include <osmium/relations/relations_manager.hpp>
#include <osmium/visitor.hpp>
#include <string_view>

namespace Site {

namespace {

bool IsStopRole(std::string_view role) {
  for (const std::string_view kind : {"stop", "platform"}) {
    if (!role.starts_with(kind)) continue;
    const std::string_view rest = role.substr(kind.size());
    if (rest.empty() || rest == "_entry_only" || rest == "_exit_only") return true;
  }
  return false;
}

// How routes mapped before roles were used mark their stops.
bool IsTaggedStop(const osmium::TagList& tags) {
  return tags.has_tag("public_transport", "platform") ||
         tags.has_tag("public_transport", "stop_position") || tags.has_tag("highway", "bus_stop") ||
         tags.has_tag("highway", "platform") || tags.has_tag("railway", "tram_stop");
}

std::string NameOf(const osmium::TagList& tags) {
  for (const char* key : {"name:zh-Hans", "name:zh", "name"})
    if (const char* name = tags[key]; name != nullptr && *name != '\0') return name;
  return {};
}

std::string LocationOf(const osmium::OSMObject& object) {
  if (object.type() != osmium::item_type::node) return {};
  const osmium::Location location = static_cast<const osmium::Node&>(object).location();
  if (!location.valid()) return {};
  std::string text;  // "116.3|39.9", from the fixed-point coordinates, without printf
  location.as_string(std::back_inserter(text), '|');
  return text;
}

bool IsBusOrTrolleybusRoute(const osmium::TagList& tags) {
  return tags.has_tag("type", "route") &&
         (tags.has_tag("route", "bus") || tags.has_tag("route", "trolleybus"));
}

// Keeps the routes and, until the second pass brings them, the nodes and
// ways they name; nothing else of the extract.
class RouteCollector
    : public osmium::relations::RelationsManager<RouteCollector, true, true, false> {
 public:
  bool new_relation(const osmium::Relation& relation) {
    const osmium::TagList& tags = relation.tags();
    if (tags.has_tag("type", "route_master")) {
      for (const auto& member : relation.members())
        if (member.type() == osmium::item_type::relation)
          masters_[member.ref()] = {relation.id(), tags["name"] ? tags["name"] : ""};
      return false;
    }
    if (!IsBusOrTrolleybusRoute(tags)) return false;
    const char* ref = tags["ref"];
    if (ref == nullptr || *ref == '\0') {
      result.skipped.push_back("relation " + std::to_string(relation.id()) + ": no ref");
      return false;
    }
    bool roles = false;
    for (const auto& member : relation.members()) roles = roles || IsStopRole(member.role());
    byRoles_[relation.id()] = roles;
    return true;
  }

  bool new_member(const osmium::Relation& relation, const osmium::RelationMember& member,
                  std::size_t) {
    return byRoles_[relation.id()] ? IsStopRole(member.role())
                                   : member.type() == osmium::item_type::node;
  }

  void complete_relation(const osmium::Relation& relation) { Add(relation); }

  // Routes with a member that never came (untagged, or outside the extract)
  // never complete; they keep the members that did.
  void AddIncomplete() {
    for_each_incomplete_relation([this](const auto& handle) { Add(*handle); });
  }

  OsmRoutes result;

 private:
  void Add(const osmium::Relation& relation) {
    const osmium::TagList& tags = relation.tags();
    OsmRoute route;
    route.id = relation.id();
    route.trolleybus = tags.has_tag("route", "trolleybus");
    route.ref = tags["ref"];
    route.name = tags["name"] ? tags["name"] : "";
    if (const auto master = masters_.find(relation.id()); master != masters_.end()) {
      route.masterId = master->second.id;
      if (!master->second.name.empty()) route.name = master->second.name;
    }
    const bool byRoles = byRoles_[relation.id()];
    for (const auto& member : relation.members()) {
      if (member.ref() == 0) continue;  // not a stop
      const osmium::OSMObject* object = get_member_object(member);
      // A stop by role that never came had no tags, or lies outside the extract.
      if (object == nullptr && byRoles) ++route.unnamedStops;
      if (object == nullptr || (!byRoles && !IsTaggedStop(object->tags()))) continue;
      OsmRoute::Stop stop{NameOf(object->tags()), LocationOf(*object)};
      if (stop.name.empty()) {
        ++route.unnamedStops;
      } else if (!route.stops.empty() && route.stops.back().name == stop.name) {
        // A stop position and its platform: one stop, with a location if either has one.
        if (route.stops.back().location.empty()) route.stops.back().location = stop.location;
      } else {
        route.stops.push_back(std::move(stop));
      }
    }
    result.routes.push_back(std::move(route));
  }

  struct Master {
    std::int64_t id;
    std::string name;
  };
  std::map<std::int64_t, Master> masters_;  // by member route
  std::map<std::int64_t, bool> byRoles_;    // whether a route marks its stops by role
};

}  // namespace

OsmRoutes ReadOsmRoutes(const std::filesystem::path& extract,
                        const std::function<void(double)>& progress) {
  const osmium::io::File file(extract.string());
  RouteCollector collector;
  // First the relations alone, then only the nodes and ways: each pass
  // reads what it needs of the file.
  const auto pass = [&](osmium::osm_entity_bits::type entities, double from, auto&& handle) {
    osmium::io::Reader reader(file, entities, osmium::io::read_meta::no);
    const double size = std::max<double>(1.0, static_cast<double>(reader.file_size()));
    while (osmium::memory::Buffer buffer = reader.read()) {
      handle(buffer);
      progress(from + 0.5 * static_cast<double>(reader.offset()) / size);
    }
    reader.close();
  };
  pass(osmium::osm_entity_bits::relation, 0.0,
       [&](const osmium::memory::Buffer& buffer) { osmium::apply(buffer, collector); });
  collector.prepare_for_lookup();
  // An untagged node or way has no name, so it is never a stop to show: most
  // of an extract need not be looked up at all.
  auto& members = collector.handler();
  pass(osmium::osm_entity_bits::node | osmium::osm_entity_bits::way, 0.5,
       [&](const osmium::memory::Buffer& buffer) {
         for (const auto& node : buffer.select<osmium::Node>())
           if (!node.tags().empty()) members.node(node);
         for (const auto& way : buffer.select<osmium::Way>())
           if (!way.tags().empty()) members.way(way);
       });
  collector.AddIncomplete();
  return std::move(collector.result);
}

}  // namespace Site
