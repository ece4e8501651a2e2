// The help patchers: every box is a class that exists, with the inlets and outlets its object
// really has; every patch line joins existing inlets and outlets; every message box sent to one
// of the package's objects is understood; and each help shows every message, attribute and
// outlet of its object.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "package_files.hpp"

namespace {

using nlohmann::json;

struct Io {
    int inlets, outlets;
};
using IoRule = std::function<Io(const std::vector<t_atom> &args)>;

IoRule fixed(int inlets, int outlets) {
    return [=](const std::vector<t_atom> &) { return Io{inlets, outlets}; };
}

long long first_long(const std::vector<t_atom> &args, long long otherwise) {
    return !args.empty() && args[0].a_type == A_LONG ? args[0].a_w.w_long : otherwise;
}

// The host's classes that the help patchers may use, with the inlets and outlets of their boxes.
// pfft~ is not here: its inlets and outlets follow the subpatcher it loads.
const std::map<std::string, IoRule> host_classes = {
    {"comment", fixed(1, 0)},
    {"message", fixed(2, 1)},
    {"flonum", fixed(1, 2)},
    {"ezdac~", fixed(2, 0)},
    {"jsui", fixed(1, 1)},
    {"cycle~", fixed(2, 1)},
    {"noise~", fixed(1, 1)},
    {"*~", fixed(2, 1)},
    {"+~", fixed(2, 1)},
    {"adc~",  // one outlet per channel argument, two without
     [](const auto &args) {
         return Io{1, args.empty() ? 2 : static_cast<int>(args.size())};
     }},
    {"selector~",  // a control inlet, then one per input
     [](const auto &args) {
         return Io{1 + static_cast<int>(first_long(args, 1)), 1};
     }},
    {"fftin~", fixed(1, 3)},
    {"cartopol~", fixed(2, 2)},
    {"snapshot~", fixed(2, 1)},
    {"out", fixed(1, 0)},
    {"attrui", fixed(1, 1)},
    {"sfplay~",  // one signal outlet per channel, then the one that tells the end of a file
     [](const auto &args) {
         return Io{2, static_cast<int>(first_long(args, 1)) + 1};
     }},
    {"unpack",  // one outlet per argument, two without
     [](const auto &args) {
         return Io{1, args.empty() ? 2 : static_cast<int>(args.size())};
     }},
    {"kslider", fixed(2, 2)},
    {"noteout", fixed(3, 0)},
    {"print", fixed(1, 0)},
};

// What the help patchers of one class show of it, gathered over the patcher and its subpatchers.
struct Shown {
    std::set<std::string> selectors;        // of message boxes and attrui wired to it
    std::set<int> outlets;                  // wired from
    std::set<std::set<int>> inlet_wirings;  // the connected inlets of each of its boxes
};

struct Walk {
    std::map<std::string, Shown> shown;                   // by class
    std::vector<std::string> patchers;                    // every patcher visited
    std::set<std::pair<std::string, std::string>> wires;  // between classes, from and to

    Io check(const json &patcher, const std::string &where);
};

std::string first_word(const std::string &text) {
    const auto atoms = morvhost::parse_atoms(text);
    return atoms.empty() || atoms[0].a_type != A_SYM ? "" : atoms[0].a_w.w_sym->s_name;
}

// An object box's class is the first word of its text; other boxes are their own class.
std::string class_of(const json &box) {
    const std::string maxclass = box.value("maxclass", "");
    return maxclass == "newobj" ? first_word(box.value("text", "")) : maxclass;
}

bool is_package_class(const std::string &name) {
    const auto &c = package::classes();
    return std::find(c.begin(), c.end(), name) != c.end();
}

int count_boxes(const json &patcher, const std::string &maxclass) {
    int count = 0;
    for (const auto &b : patcher.at("boxes"))
        count += b.at("box").value("maxclass", "") == maxclass;
    return count;
}

int highest_index(const json &patcher, const std::set<std::string> &classes) {
    int highest = 0;
    for (const auto &b : patcher["boxes"]) {
        const auto atoms = morvhost::parse_atoms(b["box"].value("text", ""));
        if (atoms.size() > 1 && atoms[0].a_type == A_SYM &&
            classes.count(atoms[0].a_w.w_sym->s_name))
            highest = std::max(highest, static_cast<int>(first_long({atoms[1]}, 0)));
    }
    return highest;
}

// Checks one patcher; returns the inlets and outlets a pfft~ loading it would have.
Io Walk::check(const json &patcher, const std::string &where) {
    patchers.push_back(where);
    std::map<std::string, json> boxes;
    for (const auto &entry : patcher.at("boxes")) {
        const json &box = entry.at("box");
        const std::string id = box.at("id");
        EXPECT_TRUE(boxes.emplace(id, box).second) << where << ": two boxes " << id;
        const std::string name = class_of(box);
        // A click on a help's speaker starts audio in that patcher alone, not in every open one.
        if (name == "ezdac~") {
            EXPECT_EQ(box.value("local", 0), 1) << where << ": " << id;
        }
        auto args = morvhost::parse_atoms(box.value("text", ""));
        if (!args.empty())
            args.erase(args.begin());
        Io io{-1, -1};
        if (is_package_class(name)) {
            auto object = package::create(box.at("text"));
            if (!object) {
                ADD_FAILURE() << where << ": " << box.at("text") << " cannot be created";
                continue;
            }
            io = {object->signal_inlets(), object->outlets()};
            const auto types = box.value("outlettype", json::array());
            for (int i = 0; i < object->outlets() && i < static_cast<int>(types.size()); ++i)
                EXPECT_EQ(types[i] == "signal", object->outlet(i).is_signal())
                    << where << ": " << box.at("text") << " outlet " << i;
        } else if (name == "p" && box.contains("patcher")) {
            // A subpatcher: the help's tabs, or a part of one.
            const json &sub = box.at("patcher");
            check(sub, where + "/" + box.value("text", ""));
            io = {count_boxes(sub, "inlet"), count_boxes(sub, "outlet")};
        } else if (name == "pfft~") {
            if (args.empty() || args[0].a_type != A_SYM) {
                ADD_FAILURE() << where << ": pfft~ without a subpatcher: " << box;
                continue;
            }
            const std::string sub =
                std::string("patchers/") + args[0].a_w.w_sym->s_name + ".maxpat";
            io = check(package::read_json(package::file(sub)).at("patcher"), sub);
        } else if (auto rule = host_classes.find(name); rule != host_classes.end()) {
            io = rule->second(args);
        } else {
            ADD_FAILURE() << where << ": " << id
                          << " is neither a package nor a known host class: " << box;
            continue;
        }
        EXPECT_EQ(box.value("numinlets", -1), io.inlets) << where << ": " << box;
        EXPECT_EQ(box.value("numoutlets", -1), io.outlets) << where << ": " << box;
    }

    std::map<std::string, std::set<int>> connected_inlets;
    for (const auto &entry : patcher.at("lines")) {
        const json &line = entry.at("patchline");
        const std::string from = line.at("source")[0], to = line.at("destination")[0];
        const int outlet = line.at("source")[1], inlet = line.at("destination")[1];
        if (!boxes.count(from) || !boxes.count(to)) {
            ADD_FAILURE() << where << ": a line joins a missing box: " << line;
            continue;
        }
        const json &source = boxes[from], &dest = boxes[to];
        EXPECT_TRUE(outlet >= 0 && outlet < source.value("numoutlets", 0)) << where << ": " << line;
        EXPECT_TRUE(inlet >= 0 && inlet < dest.value("numinlets", 0)) << where << ": " << line;
        if (is_package_class(class_of(source)))
            shown[class_of(source)].outlets.insert(outlet);
        const std::string target = class_of(dest);
        wires.insert({class_of(source), target});
        if (!is_package_class(target))
            continue;
        connected_inlets[to].insert(inlet);
        if (source.value("maxclass", "") == "attrui") {
            auto object = package::create(dest.at("text"));
            const std::string attribute = source.value("attr", "");
            if (!object)
                continue;  // reported with the box
            const auto names = object->attributes();
            EXPECT_TRUE(std::find(names.begin(), names.end(), attribute) != names.end())
                << where << ": no such attribute: " << source;
            shown[target].selectors.insert(attribute);
        }
        if (source.value("maxclass", "") == "message") {
            auto object = package::create(dest.at("text"));
            if (!object)
                continue;  // reported with the box
            const std::string text = source.at("text");
            morvhost::Host::get().clear_console();
            EXPECT_TRUE(object->send_text(text)) << where << ": " << source;
            EXPECT_TRUE(morvhost::Host::get().console().empty()) << where << ": " << source;
            shown[target].selectors.insert(first_word(text));
        }
    }
    for (const auto &[id, inlets] : connected_inlets)
        shown[class_of(boxes[id])].inlet_wirings.insert(inlets);
    return {highest_index(patcher, {"fftin~", "in"}), highest_index(patcher, {"fftout~", "out"})};
}

Walk walk_help(const std::string &name) {
    Walk walk;
    const std::string help = name + ".maxhelp";
    walk.check(package::read_json(package::file("help/" + help)).at("patcher"), help);
    return walk;
}

// Boxes and lines are checked while walking; a newcomer also sees every message and attribute
// sent to the object, and every outlet in use.
TEST(HelpPatchers, AreMadeOfRealObjectsAndShowAllOfTheirs) {
    for (const auto &name : package::classes()) {
        SCOPED_TRACE(name);
        Walk walk = walk_help(name);
        const Shown &shown = walk.shown[name];
        EXPECT_FALSE(shown.inlet_wirings.empty()) << "no connected " << name;
        auto object = package::create(name);
        for (const auto &m : object->methods()) {
            // Host-only methods cannot be sent; "enable" is the host's own, on every signal object.
            const bool host_only = !m.types.empty() && m.types[0] == A_CANT;
            if (!host_only && m.name != "enable") {
                EXPECT_TRUE(shown.selectors.count(m.name)) << "message " << m.name;
            }
        }
        for (const auto &attr : object->attributes()) {
            if (object->attr_meta(attr, "invisible").empty()) {
                EXPECT_TRUE(shown.selectors.count(attr)) << "attribute " << attr;
            }
        }
        for (int i = 0; i < object->outlets(); ++i)
            EXPECT_TRUE(shown.outlets.count(i)) << "outlet " << i;
    }
}

// Both ways of feeding the centroid: real and imaginary parts, and the amplitude alone.
TEST(HelpPatchers, CentroidHelpShowsBothWirings) {
    Walk walk = walk_help("morv.centroid~");
    const auto &wirings = walk.shown["morv.centroid~"].inlet_wirings;
    EXPECT_TRUE(wirings.count({0, 1}));
    EXPECT_TRUE(wirings.count({0}));
    EXPECT_EQ(walk.patchers.size(), 2u);  // the help and the spectral subpatcher it loads
}

// The tracker's help in the vendor's tabs (basic use, the attributes), each with its header; a
// sound file and the sound card's input to choose from; the notes on a keyboard and on the
// system's synthesizer through the host's MIDI objects.
TEST(HelpPatchers, TrackHelpHasTabsBothInputsAndPlaysItsNotes) {
    const json help = package::read_json(package::file("help/morv.track~.maxhelp"));
    std::vector<std::string> tabs;
    for (const auto &entry : help["patcher"]["boxes"]) {
        const json &box = entry["box"];
        if (box.contains("patcher") && box["patcher"].value("showontab", 0) == 1)
            tabs.push_back(box.value("text", ""));
    }
    EXPECT_EQ(tabs, (std::vector<std::string>{"p basic", "p attributes"}));
    Walk walk = walk_help("morv.track~");
    for (const auto &wire :
         std::vector<std::pair<std::string, std::string>>{{"sfplay~", "selector~"},
                                                          {"adc~", "selector~"},
                                                          {"selector~", "morv.track~"},
                                                          {"morv.track~", "noteout"},
                                                          {"morv.track~", "unpack"},
                                                          {"unpack", "kslider"},
                                                          {"attrui", "morv.track~"}})
        EXPECT_TRUE(walk.wires.count(wire)) << wire.first << " -> " << wire.second;
}

}  // namespace
