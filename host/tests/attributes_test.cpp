// Attributes: plain storage per type, replaced setters ("setmethod"), the untyped messages of
// attribute objects, metadata, and "@name value..." box arguments.
#include <gtest/gtest.h>

#include <cstddef>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

struct attrs_t {
    t_object ob;
    char c;
    long l;
    t_atom_long al;
    t_int32 i32;
    float f32;
    double f64;
    t_symbol *sym;
    t_object *obj;
    t_atom atom;
    long clamped;  // stored by the object's own setter, clamped to 0..3
    long setter_calls;
    long plain_args;  // count of plain box arguments before the first "@name"
    t_atom_long first_plain;
};

t_class *attrs_class = nullptr;

t_max_err clamp_setter(attrs_t *x, void *, long argc, t_atom *argv) {
    ++x->setter_calls;
    if (argc && argv && (argv[0].a_type == A_LONG || argv[0].a_type == A_FLOAT)) {
        t_atom_long v = atom_getlong(argv);
        x->clamped = v < 0 ? 0 : v > 3 ? 3 : v;
    }
    return MAX_ERR_NONE;
}

t_max_err doubling_getter(attrs_t *x, void *, long *argc, t_atom **argv) {
    if (!*argc || !*argv)
        return MAX_ERR_GENERIC;
    atom_setlong(*argv, x->l * 2);
    *argc = 1;
    return MAX_ERR_NONE;
}

void *attrs_new(t_symbol *, long argc, t_atom *argv) {
    auto *x = static_cast<attrs_t *>(object_alloc(attrs_class));
    x->plain_args = attr_args_offset(static_cast<short>(argc), argv);
    if (x->plain_args > 0)
        x->first_plain = atom_getlong(argv);
    x->clamped = 1;
    attr_args_process(x, static_cast<short>(argc), argv);
    return x;
}

void add(const char *name, const char *type, long offset) {
    class_addattr(attrs_class, attr_offset_new(name, gensym(type), 0, nullptr, nullptr, offset));
}

void register_attrs() {
    if (attrs_class)
        return;
    attrs_class = class_new("morvtest.attrs", reinterpret_cast<method>(attrs_new), nullptr,
                            sizeof(attrs_t), nullptr, A_GIMME, 0);
    add("c", "char", offsetof(attrs_t, c));
    add("l", "long", offsetof(attrs_t, l));
    add("al", "atom_long", offsetof(attrs_t, al));
    add("i32", "int32", offsetof(attrs_t, i32));
    add("f32", "float32", offsetof(attrs_t, f32));
    add("f64", "float64", offsetof(attrs_t, f64));
    add("sym", "symbol", offsetof(attrs_t, sym));
    add("obj", "object", offsetof(attrs_t, obj));
    add("atom", "atom", offsetof(attrs_t, atom));
    add("clamped", "long", offsetof(attrs_t, clamped));
    // Replacing the setter as the SDK's accessor macro does: "get" with no routine keeps the
    // plain getter, "set" installs the object's own.
    t_object *attr = static_cast<t_object *>(class_attr_get(attrs_class, gensym("clamped")));
    object_method_imp(attr, gensym("setmethod"), gensym("get"), nullptr, 0, 0, 0, 0, 0, 0);
    object_method_imp(attr, gensym("setmethod"), gensym("set"),
                      reinterpret_cast<void *>(clamp_setter), 0, 0, 0, 0, 0, 0);
    class_attr_addattr_format(attrs_class, "clamped", "label", gensym("symbol"), 0, "s",
                              gensym_tr("Clamped Value"));
    class_attr_addattr_parse(attrs_class, "clamped", "order", gensym("long"), 0, "100");
    class_attr_addattr_parse(attrs_class, "obj", "invisible", gensym("long"), 0, "1");
    class_attr_addattr_parse(attrs_class, "f64", "label", gensym("symbol"), 0, "Two Words");
    class_register(CLASS_BOX, attrs_class);
}

class Attributes : public ::testing::Test {
  protected:
    void SetUp() override {
        register_attrs();
        Host::get().clear_console();
        box = Box::create("morvtest.attrs");
        ASSERT_NE(box, nullptr);
        x = box->as<attrs_t>();
    }
    std::unique_ptr<Box> box;
    attrs_t *x = nullptr;
};

}  // namespace

TEST_F(Attributes, PlainSetterStoresEachTypeAtItsOffsetAndTheGetterReadsItBack) {
    EXPECT_TRUE(box->send_text("c 65"));
    EXPECT_TRUE(box->send_text("l -7"));
    EXPECT_TRUE(box->send_text("al 5000000000"));
    EXPECT_TRUE(box->send_text("i32 2.9"));
    EXPECT_TRUE(box->send_text("f32 3"));
    EXPECT_TRUE(box->send_text("f64 0.125"));
    EXPECT_TRUE(box->send_text("sym hello"));
    EXPECT_TRUE(box->send_text("atom 1.5"));
    EXPECT_EQ(x->c, 65);
    EXPECT_EQ(x->l, -7);
    EXPECT_EQ(x->al, 5000000000);
    EXPECT_EQ(x->i32, 2);
    EXPECT_FLOAT_EQ(x->f32, 3.0f);
    EXPECT_DOUBLE_EQ(x->f64, 0.125);
    EXPECT_EQ(x->sym, gensym("hello"));
    EXPECT_EQ(x->atom.a_type, A_FLOAT);
    EXPECT_EQ(format_atoms(box->get_attr("l")), "-7");
    EXPECT_EQ(format_atoms(box->get_attr("f64")), "0.125");
    EXPECT_EQ(format_atoms(box->get_attr("sym")), "hello");
    // Out-of-range integers saturate instead of wrapping.
    EXPECT_EQ(box->set_attr("i32", {make_long(1LL << 40)}), MAX_ERR_NONE);
    EXPECT_EQ(x->i32, std::numeric_limits<t_int32>::max());
}

TEST_F(Attributes, AValueOfTheWrongTypeIsAConsoleErrorAndKeepsTheOldValue) {
    x->f64 = 2.0;
    EXPECT_FALSE(box->send_text("f64 loud"));
    EXPECT_DOUBLE_EQ(x->f64, 2.0);
    EXPECT_TRUE(Host::get().console_has("bad value \"loud\" for attribute \"f64\""));
    EXPECT_NE(box->set_attr("sym", {make_long(3)}), MAX_ERR_NONE);
    EXPECT_EQ(x->sym, nullptr);
    EXPECT_NE(box->set_attr("l", {}), MAX_ERR_NONE);
    EXPECT_TRUE(Host::get().console_has("missing value for attribute \"l\""));
    EXPECT_NE(box->set_attr("nosuch", {make_long(1)}), MAX_ERR_NONE);
}

TEST_F(Attributes, AReplacedSetterRunsForMessagesAndTheHostsSetCalls) {
    EXPECT_EQ(x->clamped, 1);
    EXPECT_TRUE(box->send_text("clamped 9"));
    EXPECT_EQ(x->clamped, 3);
    EXPECT_EQ(box->set_attr("clamped", {make_sym("x")}), MAX_ERR_NONE);  // the object ignores it
    EXPECT_EQ(x->clamped, 3);
    EXPECT_EQ(x->setter_calls, 2);
    EXPECT_EQ(format_atoms(box->get_attr("clamped")), "3");  // plain getter kept
}

TEST_F(Attributes, AReplacedGetterAnswersGetAttr) {
    t_object *attr = static_cast<t_object *>(class_attr_get(attrs_class, gensym("l")));
    object_method_imp(attr, gensym("setmethod"), gensym("get"),
                      reinterpret_cast<void *>(doubling_getter), 0, 0, 0, 0, 0, 0);
    x->l = 21;
    EXPECT_EQ(format_atoms(box->get_attr("l")), "42");
    object_method_imp(attr, gensym("setmethod"), gensym("get"), nullptr, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(format_atoms(box->get_attr("l")), "21");
}

TEST_F(Attributes, AttributeObjectsAnswerTheirUntypedMessages) {
    t_object *attr = static_cast<t_object *>(class_attr_get(attrs_class, gensym("al")));
    ASSERT_NE(attr, nullptr);
    EXPECT_EQ(object_method_imp(attr, gensym("gettype"), 0, 0, 0, 0, 0, 0, 0, 0),
              gensym("atom_long"));
    EXPECT_EQ(object_method_imp(attr, gensym("getname"), 0, 0, 0, 0, 0, 0, 0, 0), gensym("al"));
    object_method_imp(attr, gensym("setflags"), reinterpret_cast<void *>(ATTR_SET_OPAQUE_USER), 0,
                      0, 0, 0, 0, 0, 0);
    EXPECT_EQ(reinterpret_cast<t_ptr_int>(
                  object_method_imp(attr, gensym("getflags"), 0, 0, 0, 0, 0, 0, 0, 0)),
              ATTR_SET_OPAQUE_USER);
    EXPECT_FALSE(box->send_text("al 3"));  // no longer settable from a patch
    EXPECT_EQ(x->al, 0);
    EXPECT_TRUE(Host::get().console_has("cannot be set from a message"));
    object_method_imp(attr, gensym("setflags"), 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(class_attr_get(attrs_class, gensym("nosuch")), nullptr);
}

TEST_F(Attributes, MetadataIsReadableParsedOrFormatted) {
    EXPECT_EQ(format_atoms(box->attr_meta("clamped", "label")), "Clamped Value");
    const auto order = box->attr_meta("clamped", "order");
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(order[0].a_type, A_LONG);
    EXPECT_EQ(order[0].a_w.w_long, 100);
    EXPECT_EQ(format_atoms(box->attr_meta("obj", "invisible")), "1");
    const auto label = box->attr_meta("f64", "label");  // a symbol keeps its spaces
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].a_w.w_sym, gensym("Two Words"));
    EXPECT_TRUE(box->attr_meta("l", "label").empty());
    EXPECT_EQ(class_attr_addattr_parse(attrs_class, "nosuch", "label", gensym("symbol"), 0, "x"),
              MAX_ERR_GENERIC);
    EXPECT_EQ(box->attributes().front(), "c");
    EXPECT_EQ(box->attributes().size(), 10u);
}

TEST_F(Attributes, ObjectAttributesGoThroughTheirSetterAndGetter) {
    t_object *other = box->object();
    EXPECT_EQ(object_attr_setobj(x, gensym("obj"), other), MAX_ERR_NONE);
    EXPECT_EQ(x->obj, other);
    EXPECT_EQ(object_attr_getobj(x, gensym("obj")), other);
    EXPECT_EQ(object_attr_getobj(x, gensym("nosuch")), nullptr);
    EXPECT_NE(object_attr_setobj(x, gensym("nosuch"), other), MAX_ERR_NONE);
    EXPECT_EQ(object_attr_getobj(nullptr, gensym("obj")), nullptr);
}

TEST(AttributeArguments, OffsetIsTheFirstAtSymbol) {
    auto atoms = parse_atoms("1 2.5 name @down 3 @minfreq 50");
    EXPECT_EQ(attr_args_offset(static_cast<short>(atoms.size()), atoms.data()), 3);
    auto plain = parse_atoms("1 2");
    EXPECT_EQ(attr_args_offset(2, plain.data()), 2);
    EXPECT_EQ(attr_args_offset(0, nullptr), 0);
}

TEST(AttributeArguments, ComeAfterPlainArgumentsAndGoThroughTheSetters) {
    register_attrs();
    Host::get().clear_console();
    auto box = Box::create("morvtest.attrs 7 8 @clamped 12 @l 4 @sym a b @f64");
    ASSERT_NE(box, nullptr);
    auto *x = box->as<attrs_t>();
    EXPECT_EQ(x->plain_args, 2);
    EXPECT_EQ(x->first_plain, 7);
    EXPECT_EQ(x->clamped, 3);
    EXPECT_EQ(x->setter_calls, 1);
    EXPECT_EQ(x->l, 4);
    EXPECT_EQ(x->sym, gensym("a"));
    EXPECT_TRUE(Host::get().console_has("missing value for attribute \"f64\""));
}

TEST(AttributeArguments, AnUnknownNameIsAConsoleErrorAndTheRestStillApplies) {
    register_attrs();
    Host::get().clear_console();
    auto box = Box::create("morvtest.attrs @nosuch 1 @l 5");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Host::get().console_has("no attribute named \"nosuch\""));
    EXPECT_EQ(box->as<attrs_t>()->l, 5);
}
