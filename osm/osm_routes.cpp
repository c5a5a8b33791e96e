#include "osm/osm_routes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <osmium/io/any_input.hpp>
#include <osmium/thread/pool.hpp>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "lines/line_file.h"

namespace Osm {

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
         tags.has_tag("highway", "platform") || tags.has_tag("railway", "tram_stop") ||
         tags.has_tag("amenity", "bus_station");
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

// What a route may need of a node or way that came with tags.
struct MemberFacts {
  std::string name;
  std::string location;
  bool taggedStop = false;
};

// The nodes (or the ways) routes name, each with a slot for its facts,
// filled when it comes. It holds nothing the routes do not name.
class WantedMembers {
 public:
  // The same id always gets the same slot.
  std::size_t Want(osmium::object_id_type id) {
    maybe_[static_cast<std::size_t>(id) & kMaybeMask] = true;
    const auto [slot, added] = slots_.try_emplace(id, facts_.size());
    if (added) facts_.emplace_back();
    return slot->second;
  }

  void Offer(const osmium::OSMObject& object) {
    // Most objects of an extract are no route's member: a bit tells most of
    // them apart before the lookup.
    if (!maybe_[static_cast<std::size_t>(object.id()) & kMaybeMask]) return;
    if (const auto slot = slots_.find(object.id()); slot != slots_.end())
      facts_[slot->second] = {NameOf(object.tags()), LocationOf(object),
                              IsTaggedStop(object.tags())};
  }

  // Null for a member that never came: outside the extract.
  const MemberFacts* Find(std::size_t slot) const {
    return facts_[slot] ? &*facts_[slot] : nullptr;
  }

 private:
  static constexpr std::size_t kMaybeMask = (std::size_t{1} << 22) - 1;
  std::vector<bool> maybe_ = std::vector<bool>(kMaybeMask + 1);
  std::unordered_map<osmium::object_id_type, std::size_t> slots_;
  std::vector<std::optional<MemberFacts>> facts_;
};

// The routes of the first pass, with the members that may be their stops,
// and what the second pass brings of those members.
class RouteCollector {
 public:
  void Relation(const osmium::Relation& relation) {
    const osmium::TagList& tags = relation.tags();
    if (tags.has_tag("type", "route_master")) {
      for (const auto& member : relation.members())
        if (member.type() == osmium::item_type::relation)
          masters_[member.ref()] = {relation.id(), NameOf(tags), tags.get_value_by_key("ref", "")};
      return;
    }
    if (!IsBusOrTrolleybusRoute(tags)) return;
    // A route without a ref of its own may take its route master's.
    Collected& route = routes_.emplace_back();
    route.osm.id = relation.id();
    route.osm.trolleybus = tags.has_tag("route", "trolleybus");
    route.osm.ref = tags.get_value_by_key("ref", "");
    route.osm.name = NameOf(tags);
    route.byRoles = std::ranges::any_of(
        relation.members(), [](const auto& member) { return IsStopRole(member.role()); });
    for (const auto& member : relation.members()) {
      if (route.byRoles ? !IsStopRole(member.role()) : member.type() != osmium::item_type::node)
        continue;
      if (member.type() == osmium::item_type::node)
        route.members.emplace_back(&nodes_, nodes_.Want(member.ref()));
      else if (member.type() == osmium::item_type::way)
        route.members.emplace_back(&ways_, ways_.Want(member.ref()));
      else
        route.members.emplace_back(nullptr, 0);  // a relation: an area, which is not read
    }
  }

  // Untagged members come too: a stop without a name is told apart from one
  // outside the extract.
  void Member(const osmium::OSMObject& object) {
    (object.type() == osmium::item_type::node ? nodes_ : ways_).Offer(object);
  }

  Routes Result() && {
    Routes result;
    result.routes.reserve(routes_.size());
    for (Collected& route : routes_) {
      Route complete = Complete(std::move(route));
      if (complete.ref.empty())
        result.skipped.push_back("relation " + std::to_string(complete.id) + ": no ref");
      else
        result.routes.push_back(std::move(complete));
    }
    return result;
  }

 private:
  struct Collected {
    Route osm;
    bool byRoles = false;  // whether it marks its stops by role
    std::vector<std::pair<const WantedMembers*, std::size_t>> members;  // may be stops: slots
  };

  Route Complete(Collected route) const {
    Route& osm = route.osm;
    // Riders know a line by its route master's ref: "C.A.M. 6" under "6" is
    // line 6. A branch, whose ref is the master's with more after it (232副
    // under 232), is a line of its own.
    if (const auto master = masters_.find(osm.id); master != masters_.end()) {
      osm.masterId = master->second.id;
      const std::string& masterRef = master->second.ref;
      const bool branch =
          osm.ref.size() > masterRef.size() && osm.ref.starts_with(masterRef) && !masterRef.empty();
      if (!branch && !master->second.name.empty()) osm.name = master->second.name;
      if (!branch && !masterRef.empty()) osm.ref = masterRef;
    }
    // Control characters become spaces: no name can reach a terminal, a file
    // name or a page with them.
    osm.ref = Lines::WithoutControls(osm.ref);
    osm.name = Lines::WithoutControls(osm.name);
    for (const auto& [members, slot] : route.members) {
      const MemberFacts* facts = members ? members->Find(slot) : nullptr;
      // A stop by role that never came lies outside the extract (cut at its
      // border); an area (a relation) is not read, so it counts as unnamed.
      if (facts == nullptr && route.byRoles) ++(members ? osm.outsideStops : osm.unnamedStops);
      if (facts == nullptr || (!route.byRoles && !facts->taggedStop)) continue;
      if (facts->name.empty()) {
        ++osm.unnamedStops;
        continue;
      }
      std::string name = Lines::WithoutControls(facts->name);
      if (!osm.stops.empty() && osm.stops.back().name == name) {
        // A stop position and its platform: one stop, with a location if either has one.
        if (osm.stops.back().location.empty()) osm.stops.back().location = facts->location;
      } else {
        osm.stops.push_back({std::move(name), facts->location});
      }
    }
    return std::move(osm);
  }

  struct Master {
    std::int64_t id;
    std::string name;
    std::string ref;
  };
  std::map<std::int64_t, Master> masters_;  // by member route
  std::vector<Collected> routes_;
  WantedMembers nodes_;
  WantedMembers ways_;
};

// The extract's format by what it holds, whatever its name says: a PBF file
// starts with its header block's type, compressed XML with its compressor's
// magic, XML with "<".
std::string FormatOf(const std::filesystem::path& extract) {
  std::ifstream file(extract, std::ios::binary);
  if (!file) throw std::runtime_error("no such file, or it cannot be opened");
  char start[16] = {};
  file.read(start, sizeof start);
  const std::string_view head(start, static_cast<std::size_t>(file.gcount()));
  if (head.size() >= 13 && head.substr(4, 11) == "\x0a\x09OSMHeader") return "pbf";
  if (head.starts_with("BZh")) return "osm.bz2";
  if (head.starts_with("\x1f\x8b")) return "osm.gz";
  const std::size_t first = head.find_first_not_of(" \t\r\n");
  if (first != head.npos &&
      (head.substr(first).starts_with("<") || head.substr(first).starts_with("\xEF\xBB\xBF<")))
    return "osm";
  throw std::runtime_error(
      "neither an OpenStreetMap extract (.osm.pbf, .osm, .osm.bz2, .osm.gz) "
      "nor a GTFS feed");
}

}  // namespace

Routes ReadRoutes(const std::filesystem::path& extract,
                  const std::function<void(double)>& progress) {
  const osmium::io::File file(extract.string(), FormatOf(extract));
  // Decoding takes every core: libosmium's own pool leaves two to the caller,
  // which waits through the first pass. First the relations alone, then only
  // the nodes and ways; both readers start at once, as only what the second
  // keeps depends on the first.
  osmium::thread::Pool decoders(static_cast<int>(std::thread::hardware_concurrency()));
  osmium::io::Reader relations(file, osmium::osm_entity_bits::relation, osmium::io::read_meta::no,
                               decoders);
  osmium::io::Reader members(file, osmium::osm_entity_bits::node | osmium::osm_entity_bits::way,
                             osmium::io::read_meta::no, decoders);
  RouteCollector collector;
  const auto pass = [&](osmium::io::Reader& reader, double from) {
    const double size = std::max<double>(1.0, static_cast<double>(reader.file_size()));
    while (const osmium::memory::Buffer buffer = reader.read()) {
      for (const auto& object : buffer.select<osmium::OSMObject>()) {
        if (object.type() == osmium::item_type::relation)
          collector.Relation(static_cast<const osmium::Relation&>(object));
        else
          collector.Member(object);
      }
      progress(from + 0.5 * static_cast<double>(reader.offset()) / size);
    }
    reader.close();
  };
  pass(relations, 0.0);
  pass(members, 0.5);
  return std::move(collector).Result();
}

}  // namespace Osm
