// The reference pages agree with the classes as they register in the stand-in host: messages
// and their arguments, attributes with type, label, order and default, inlets and outlets with
// the objects' own labels, and the project's version.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include <tinyxml2.h>

#include "morv_version.h"
#include "morvhost/pfft.hpp"
#include "package_files.hpp"
#include "yin_geometry.h"

namespace {

using tinyxml2::XMLElement;

struct Page {
    tinyxml2::XMLDocument doc;
    const XMLElement *root = nullptr;

    explicit Page(const std::string &name) {
        const auto path = package::file("docs/refpages/" + name + ".maxref.xml");
        if (doc.LoadFile(path.c_str()) == tinyxml2::XML_SUCCESS)
            root = doc.RootElement();
    }
    // The items of one list, e.g. items("methodlist", "method").
    std::vector<const XMLElement *> items(const char *list, const char *item) const {
        std::vector<const XMLElement *> found;
        const XMLElement *l = root ? root->FirstChildElement(list) : nullptr;
        for (auto *e = l ? l->FirstChildElement(item) : nullptr; e; e = e->NextSiblingElement(item))
            found.push_back(e);
        return found;
    }
};

std::string attr(const XMLElement *e, const char *name) {
    const char *v = e->Attribute(name);
    return v ? v : "";
}

// All the text of an element, inline markup such as <o>zid~</o> included.
std::string text_of(const tinyxml2::XMLNode *node) {
    std::string text;
    for (auto *n = node ? node->FirstChild() : nullptr; n; n = n->NextSibling())
        text += n->ToText() ? std::string(n->Value()) : text_of(n);
    return text;
}

std::string child_text(const XMLElement *e, const char *child) {
    return text_of(e->FirstChildElement(child));
}

// The type a reference page names for a bound argument type.
std::string documented_type(long type) {
    static const std::map<long, std::string> names = {{A_LONG, "int"},    {A_DEFLONG, "int"},
                                                      {A_FLOAT, "float"}, {A_DEFFLOAT, "float"},
                                                      {A_SYM, "symbol"},  {A_DEFSYM, "symbol"}};
    const auto it = names.find(type);
    return it == names.end() ? "?" : it->second;
}

bool is_host_only(const morvhost::MethodInfo &m) {
    return !m.types.empty() && m.types[0] == A_CANT;
}

class Refpage : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        object = package::create(GetParam());
        ASSERT_TRUE(object);
        ASSERT_TRUE(page.root) << "no reference page for " << GetParam();
    }
    std::unique_ptr<morvhost::Box> object;
    Page page{GetParam()};
};

TEST_P(Refpage, NamesTheClassAndTheProjectVersion) {
    EXPECT_EQ(attr(page.root, "name"), GetParam());
    EXPECT_FALSE(child_text(page.root, "digest").empty());
    std::string version;
    for (const XMLElement *m : page.items("metadatalist", "metadata"))
        if (attr(m, "name") == "version")
            version = text_of(m);
    EXPECT_EQ(version, MORV_VERSION);
}

// The headers of a patcher that show this class's page, and how many show another's.
std::pair<int, int> headers_in(const nlohmann::json &patcher, const std::string &name) {
    std::pair<int, int> found{0, 0};
    for (const auto &entry : patcher["boxes"]) {
        const auto &box = entry["box"];
        if (box.value("maxclass", "") == "jsui" && box.value("filename", "") == "helpdetails.js")
            ++(box.value("jsarguments", nlohmann::json::array()) == nlohmann::json::array({name})
                   ? found.first
                   : found.second);
    }
    return found;
}

// The help's header is Max's helpdetails.js, which shows the digest of the page it is given: one
// in the patcher, or, in a help made of tabs, one atop each tab.  The patcher's own digest, which
// the file browser shows, is the same.
TEST_P(Refpage, HelpHeaderShowsThisPage) {
    const auto help = package::read_json(package::file("help/" + GetParam() + ".maxhelp"));
    std::vector<nlohmann::json> tabs;
    for (const auto &entry : help["patcher"]["boxes"])
        if (entry["box"].contains("patcher") && entry["box"]["patcher"].value("showontab", 0) == 1)
            tabs.push_back(entry["box"]["patcher"]);
    if (tabs.empty())
        tabs.push_back(help["patcher"]);
    else
        EXPECT_EQ(headers_in(help["patcher"], GetParam()), std::make_pair(0, 0));
    for (const auto &tab : tabs) EXPECT_EQ(headers_in(tab, GetParam()), std::make_pair(1, 0));
    EXPECT_EQ(help["patcher"].value("digest", ""), child_text(page.root, "digest"));
}

TEST_P(Refpage, DocumentsExactlyTheMessagesTheClassAnswers) {
    std::map<std::string, const XMLElement *> documented;
    for (const XMLElement *m : page.items("methodlist", "method")) documented[attr(m, "name")] = m;
    std::map<std::string, morvhost::MethodInfo> bound;
    for (const auto &m : object->methods()) {
        bound[m.name] = m;
        if (!is_host_only(m)) {
            EXPECT_TRUE(documented.count(m.name)) << "undocumented message " << m.name;
        }
    }
    for (const auto &[name, element] : documented) {
        const auto it = bound.find(name);
        if (it == bound.end()) {
            ADD_FAILURE() << "documented message " << name << " does not exist";
            continue;
        }
        const auto &types = it->second.types;
        if (is_host_only(it->second) || (!types.empty() && types[0] == A_GIMME))
            continue;  // called by the host, or takes any list
        std::vector<std::string> args;
        for (auto *a = element->FirstChildElement("arglist")
                           ? element->FirstChildElement("arglist")->FirstChildElement("arg")
                           : nullptr;
             a; a = a->NextSiblingElement("arg"))
            args.push_back(attr(a, "type"));
        std::vector<std::string> expected;
        for (long t : types) expected.push_back(documented_type(t));
        EXPECT_EQ(args, expected) << "arguments of " << name;
    }
}

TEST_P(Refpage, DocumentsTheAttributesAsRegisteredWithTheirDefaults) {
    std::vector<std::string> visible;
    for (const auto &name : object->attributes())
        if (object->attr_meta(name, "invisible").empty())
            visible.push_back(name);
    const auto documented = page.items("attributelist", "attribute");
    ASSERT_EQ(documented.size(), visible.size());
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const std::string name = visible[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(attr(documented[i], "name"), name);  // in declaration order
        EXPECT_EQ(attr(documented[i], "type"), object->attr_type(name));
        std::set<std::string> metas;
        const XMLElement *list = documented[i]->FirstChildElement("attributelist");
        for (auto *m = list ? list->FirstChildElement("attribute") : nullptr; m;
             m = m->NextSiblingElement("attribute")) {
            const std::string meta = attr(m, "name");
            metas.insert(meta);
            if (meta != "default") {
                EXPECT_EQ(attr(m, "value"), morvhost::format_atoms(object->attr_meta(name, meta)))
                    << meta;
                continue;
            }
            // The default is what a fresh object holds.
            const auto value = morvhost::parse_atoms(attr(m, "value"));
            const auto fresh = object->get_attr(name);
            ASSERT_EQ(value.size(), fresh.size());
            for (std::size_t k = 0; k < value.size(); ++k)
                EXPECT_EQ(atom_getfloat(&value[k]), atom_getfloat(&fresh[k])) << "default";
        }
        for (const char *meta : {"label", "order", "default"})
            EXPECT_TRUE(metas.count(meta)) << "no " << meta;
    }
}

// The labels an object shows on its inlets and outlets, by index, in every way it can be wired:
// alone, and inside pfft~ with both parts of the bins or with their amplitude.
std::map<std::pair<long, long>, std::set<std::string>> labels(const std::string &name) {
    std::map<std::pair<long, long>, std::set<std::string>> found;
    const auto read = [&](morvhost::Box &box) {
        for (long i = 0; i < box.signal_inlets(); ++i)
            found[{ASSIST_INLET, i}].insert(box.assist(ASSIST_INLET, i));
        for (long i = 0; i < box.outlets(); ++i)
            found[{ASSIST_OUTLET, i}].insert(box.assist(ASSIST_OUTLET, i));
    };
    read(*package::create(name));
    for (bool complex : {true, false}) {
        morvhost::Pfft pfft(64, 2);
        morvhost::Box *box = pfft.create(name);
        if (complex) {
            pfft.feed_real(*box, 0);
            if (box->signal_inlets() > 1)
                pfft.feed_imag(*box, 1);
        } else {
            pfft.feed_amplitude(*box, 0);
        }
        pfft.compile(44100);
        read(*box);
    }
    return found;
}

TEST_P(Refpage, InletsAndOutletsAgreeWithTheObjectAndItsLabels) {
    const auto inlets = page.items("inletlist", "inlet");
    const auto outlets = page.items("outletlist", "outlet");
    ASSERT_EQ(static_cast<int>(inlets.size()), object->signal_inlets());
    ASSERT_EQ(static_cast<int>(outlets.size()), object->outlets());
    for (int i = 0; i < object->outlets(); ++i)
        EXPECT_EQ(attr(outlets[i], "type") == "signal", object->outlet(i).is_signal()) << i;
    for (const auto &[place, texts] : labels(GetParam())) {
        const auto [io, index] = place;
        const XMLElement *entry = (io == ASSIST_INLET ? inlets : outlets)[index];
        const std::string digest = child_text(entry, "digest");
        const std::string all = digest + child_text(entry, "description");
        SCOPED_TRACE((io == ASSIST_INLET ? "inlet " : "outlet ") + std::to_string(index));
        std::set<std::string> shown = texts;
        shown.erase("");  // an object without labels
        for (const auto &text : shown)
            EXPECT_NE(all.find(text), std::string::npos) << "label not documented: " << text;
        if (!shown.empty()) {
            EXPECT_TRUE(shown.count(digest)) << "digest is none of the labels: " << digest;
        }
    }
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// zid~'s page restates the object's table of limits and defaults: each parameter's argument (or,
// for the threshold, its message) names its range and its default, and its attribute's default
// is the table's.
TEST(ZidRefpage, StatesTheTableOfLimitsAndDefaults) {
    const Page page("zid~");
    ASSERT_TRUE(page.root);
    std::map<std::string, const XMLElement *> entries, attributes;
    for (const XMLElement *e : page.items("objarglist", "objarg")) entries[attr(e, "name")] = e;
    for (const XMLElement *e : page.items("methodlist", "method")) entries[attr(e, "name")] = e;
    for (const XMLElement *e : page.items("attributelist", "attribute"))
        attributes[attr(e, "name")] = e;
    for (const yin_parameter &p : YIN_PARAMETERS) {
        SCOPED_TRACE(p.name);
        const auto entry = entries.find(p.name);
        ASSERT_NE(entry, entries.end());
        const std::string digest = child_text(entry->second, "digest");
        const std::string range =
            number(p.lowest) +
            (std::isinf(p.highest) ? std::string(" or more") : " to " + number(p.highest));
        EXPECT_NE(digest.find(range), std::string::npos) << digest;
        EXPECT_NE(digest.find("(default " + number(p.initial) + ")"), std::string::npos) << digest;
        const auto attribute = attributes.find(p.name);
        if (attribute == attributes.end())
            continue;
        const XMLElement *metas = attribute->second->FirstChildElement("attributelist");
        std::string initial;
        for (auto *m = metas ? metas->FirstChildElement("attribute") : nullptr; m;
             m = m->NextSiblingElement("attribute"))
            if (attr(m, "name") == "default")
                initial = attr(m, "value");
        EXPECT_EQ(initial, number(p.initial));
    }
}

INSTANTIATE_TEST_SUITE_P(PackageClasses, Refpage, testing::ValuesIn(package::classes()),
                         [](const auto &info) {
                             // The class's last word, without the tilde: zid, centroid, track.
                             std::string name = info.param.substr(info.param.rfind('.') + 1);
                             return name.substr(0, name.find('~'));
                         });

}  // namespace
