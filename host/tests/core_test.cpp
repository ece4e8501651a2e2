// Symbols, atoms, layouts, objects and message dispatch of the stand-in host.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "morvhost/host.hpp"
#include "morvhost/pfft.hpp"

using namespace morvhost;

// The layouts a module compiled against the vendor's headers relies on.  The signal header and
// the pfft~ record hold `long` fields, so they shrink on 64-bit Windows (LLP64, long is 4 bytes);
// everything else is the same on both models.
struct SignalLayouts {
    std::size_t pxobject, z_in, z_disabled, z_count, z_misc;
    std::size_t pfftpub, x_parent, x_fftsize, x_ffthop, x_fftoffset, x_fftindex, x_fullspect;
};
#ifdef _WIN32
constexpr SignalLayouts expected{56, 4, 48, 52, 54, 104, 56, 80, 84, 88, 92, 96};
#else
constexpr SignalLayouts expected{64, 8, 48, 56, 58, 128, 64, 88, 96, 104, 112, 120};
#endif
static_assert(sizeof(t_pxobject) == expected.pxobject);
static_assert(structmembersize(t_pxobject, z_in) == expected.z_in);
static_assert(offsetof(t_pxobject, z_disabled) == expected.z_disabled);
static_assert(offsetof(t_pxobject, z_count) == expected.z_count);
static_assert(offsetof(t_pxobject, z_misc) == expected.z_misc);
static_assert(sizeof(t_pfftpub) == expected.pfftpub);
static_assert(offsetof(t_pfftpub, x_parent) == expected.x_parent);
static_assert(offsetof(t_pfftpub, x_fftsize) == expected.x_fftsize);
static_assert(offsetof(t_pfftpub, x_ffthop) == expected.x_ffthop);
static_assert(offsetof(t_pfftpub, x_fftoffset) == expected.x_fftoffset);
static_assert(offsetof(t_pfftpub, x_fftindex) == expected.x_fftindex);
static_assert(offsetof(t_pfftpub, x_fullspect) == expected.x_fullspect);
static_assert(sizeof(t_object) == 32);
static_assert(sizeof(t_atom) == 16 && offsetof(t_atom, a_w) == 8);
static_assert(sizeof(t_symbol) == 16 && offsetof(t_symbol, s_thing) == 8);
static_assert(sizeof(t_messlist) == 24);

namespace {

// A class of the test itself, registered once: one field per way the host calls a method.
struct probe_t {
    t_object ob;
    long padding[4];  // must come zero-filled
    double last_float;
    t_atom_long last_long;
    t_symbol *last_sym;
    long gimme_argc;
    t_symbol *gimme_sel;
    int bangs;
};

t_class *probe_class = nullptr;
int probe_frees = 0;

void *probe_new(t_symbol *, long, t_atom *) {
    return object_alloc(probe_class);
}
void probe_free(probe_t *) {
    ++probe_frees;
}
void probe_float(probe_t *x, double f) {
    x->last_float = f;
}
void probe_name(probe_t *x, t_symbol *s) {
    x->last_sym = s;
}
void probe_mixed(probe_t *x, t_atom_long n, double f, t_symbol *s) {
    x->last_long = n;
    x->last_float = f;
    x->last_sym = s;
}
void probe_list(probe_t *x, t_symbol *s, long argc, t_atom *) {
    x->gimme_sel = s;
    x->gimme_argc = argc;
}
void probe_bang(probe_t *x) {
    ++x->bangs;
}
void *probe_host_only(probe_t *x, void *a, void *b) {
    return reinterpret_cast<void *>(reinterpret_cast<t_ptr_int>(a) +
                                    reinterpret_cast<t_ptr_int>(b) + x->bangs);
}

void probe_assist(probe_t *, void *, long io, long index, char *s) {
    std::snprintf(s, ASSIST_MAX_STRING_LEN, "%s %ld", io == ASSIST_INLET ? "in" : "out", index);
}
void probe_dblclick(probe_t *x) {
    x->bangs += 100;
}
void probe_fileusage(probe_t *, void *w) {
    t_atomarray *folders = atomarray_new(0, nullptr);
    t_atom a{};
    atom_setsym(&a, gensym("extensions"));
    atomarray_appendatom(folders, &a);
    fileusage_addpackage(w, "morvkit", folders);  // the host takes the array
    fileusage_addpackage(w, "whole", nullptr);
}

void register_probe() {
    if (probe_class)
        return;
    probe_class =
        class_new("morvtest.probe", reinterpret_cast<method>(probe_new),
                  reinterpret_cast<method>(probe_free), sizeof(probe_t), nullptr, A_GIMME, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_float), "float", A_FLOAT, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_name), "name", A_SYM, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_mixed), "mixed", A_LONG, A_DEFFLOAT,
                    A_DEFSYM, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_list), "list", A_GIMME, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_bang), "bang", 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_host_only), "hostonly", A_CANT, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_assist), "assist", A_CANT, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_dblclick), "dblclick", A_CANT, 0);
    class_addmethod(probe_class, reinterpret_cast<method>(probe_fileusage), "fileusage", A_CANT, 0);
    class_register(CLASS_BOX, probe_class);
}

class HostObjects : public ::testing::Test {
  protected:
    void SetUp() override {
        register_probe();
        Host::get().clear_console();
        box = Box::create("morvtest.probe");
        ASSERT_NE(box, nullptr);
        x = box->as<probe_t>();
    }
    bool console_error_has(const std::string &fragment) {
        for (const auto &line : Host::get().console())
            if (line.kind == ConsoleLine::Kind::error &&
                line.text.find(fragment) != std::string::npos)
                return true;
        return false;
    }
    std::unique_ptr<Box> box;
    probe_t *x = nullptr;
};

}  // namespace

TEST(Symbols, EqualStringsGiveOneStablePointerAndNullGivesTheEmptySymbol) {
    std::string a = "morvtest-symbol";
    t_symbol *s = gensym(a.c_str());
    a[0] = 'X';  // the symbol must not alias the caller's buffer
    EXPECT_EQ(s, gensym("morvtest-symbol"));
    EXPECT_STREQ(s->s_name, "morvtest-symbol");
    EXPECT_NE(s, gensym("morvtest-symbolx"));
    EXPECT_EQ(gensym_tr("morvtest-symbol"), s);
    ASSERT_NE(gensym(nullptr), nullptr);
    EXPECT_EQ(gensym(nullptr), gensym(""));
}

TEST(Symbols, BindingSlotHoldsAnObjectAndStartsEmpty) {
    t_symbol *s = gensym("__morvtest_binding__");
    EXPECT_EQ(s->s_thing, nullptr);
    t_object dummy{};
    s->s_thing = &dummy;
    EXPECT_EQ(gensym("__morvtest_binding__")->s_thing, &dummy);
    s->s_thing = nullptr;
}

TEST(Atoms, AccessorsConvertAndSurviveNullAndNonFiniteValues) {
    t_atom a = make_float(-2.9);
    EXPECT_EQ(atom_getlong(&a), -2);  // truncation
    a = make_long(7);
    EXPECT_DOUBLE_EQ(atom_getfloat(&a), 7.0);
    EXPECT_EQ(atom_getsym(&a), gensym(""));
    a = make_float(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(atom_getlong(&a), 0);
    a = make_float(1e300);
    EXPECT_EQ(atom_getlong(&a), std::numeric_limits<t_atom_long>::max());
    EXPECT_EQ(atom_getlong(nullptr), 0);
    EXPECT_EQ(atom_setsym(nullptr, gensym("x")), MAX_ERR_INVALID_PTR);
    EXPECT_EQ(atom_gettype(nullptr), A_NOTHING);
}

TEST(Atoms, TextParsesIntoLongsFloatsAndSymbolsAndFormatsBack) {
    auto atoms = parse_atoms("zid~ 1 -2.5 @down 3 1e3 nan +4 -");
    ASSERT_EQ(atoms.size(), 9u);
    EXPECT_EQ(atoms[0].a_type, A_SYM);
    EXPECT_EQ(atoms[1].a_type, A_LONG);
    EXPECT_EQ(atoms[2].a_type, A_FLOAT);
    EXPECT_DOUBLE_EQ(atoms[2].a_w.w_float, -2.5);
    EXPECT_EQ(atoms[3].a_w.w_sym, gensym("@down"));
    EXPECT_EQ(atoms[5].a_type, A_FLOAT);
    EXPECT_EQ(atoms[6].a_type, A_SYM);  // "nan" is a name, not a number
    EXPECT_EQ(atoms[7].a_w.w_long, 4);
    EXPECT_EQ(atoms[8].a_type, A_SYM);
    EXPECT_EQ(format_atoms(parse_atoms("a 1 2.5 3.")), "a 1 2.5 3.");
}

TEST(AtomArrays, CopyAppendAndHandOutTheirAtoms) {
    t_atom first = make_long(1);
    t_atomarray *arr = atomarray_new(1, &first);
    first = make_long(99);  // the array copied it
    t_atom sym{};
    atom_setsym(&sym, gensym("extensions"));
    atomarray_appendatom(arr, &sym);
    long ac = 0;
    t_atom *av = nullptr;
    ASSERT_EQ(atomarray_getatoms(arr, &ac, &av), MAX_ERR_NONE);
    ASSERT_EQ(ac, 2);
    EXPECT_EQ(av[0].a_w.w_long, 1);
    EXPECT_EQ(av[1].a_w.w_sym, gensym("extensions"));
    EXPECT_EQ(object_free(arr), MAX_ERR_NONE);
}

TEST_F(HostObjects, InstancesComeZeroFilledWithTheHeaderSet) {
    EXPECT_EQ(x->ob.o_magic, MAGIC);
    for (long v : x->padding) EXPECT_EQ(v, 0);
    EXPECT_EQ(x->last_sym, nullptr);
    EXPECT_EQ(box->class_name(), "morvtest.probe");
}

TEST_F(HostObjects, MessagesReachTheirMethodsWithConvertedArguments) {
    EXPECT_TRUE(box->send("float", {make_long(3)}));  // int -> float
    EXPECT_DOUBLE_EQ(x->last_float, 3.0);
    EXPECT_TRUE(box->send_text("2.5"));  // a bare number is a "float" message
    EXPECT_DOUBLE_EQ(x->last_float, 2.5);
    EXPECT_TRUE(box->send_text("mixed 4.9"));  // float -> long, defaults for the rest
    EXPECT_EQ(x->last_long, 4);
    EXPECT_DOUBLE_EQ(x->last_float, 0.0);
    EXPECT_EQ(x->last_sym, gensym(""));
    EXPECT_TRUE(box->send_text("mixed 1 0.25 hello"));
    EXPECT_DOUBLE_EQ(x->last_float, 0.25);
    EXPECT_EQ(x->last_sym, gensym("hello"));
    EXPECT_TRUE(box->send_text("list 1 2 3"));
    EXPECT_EQ(x->gimme_sel, gensym("list"));
    EXPECT_EQ(x->gimme_argc, 3);
    EXPECT_TRUE(box->send_text("bang"));
    EXPECT_EQ(x->bangs, 1);
}

TEST_F(HostObjects, BadMessagesAreConsoleErrorsAndChangeNothing) {
    EXPECT_FALSE(box->send("float", {make_sym("loud")}));
    EXPECT_TRUE(console_error_has("bad arguments for message \"float\""));
    EXPECT_FALSE(box->send("name", {make_long(3)}));
    EXPECT_FALSE(box->send("mixed"));  // its first argument is required
    EXPECT_TRUE(console_error_has("missing arguments for message \"mixed\""));
    EXPECT_FALSE(box->send("nosuchmessage"));
    EXPECT_TRUE(console_error_has("doesn't understand \"nosuchmessage\""));
    EXPECT_FALSE(box->send("hostonly"));  // A_CANT methods cannot be reached from a patch
    EXPECT_DOUBLE_EQ(x->last_float, 0.0);
    EXPECT_EQ(x->last_sym, nullptr);
    const auto lines = Host::get().console();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().object, box->object());
    EXPECT_EQ(lines.back().class_name, "morvtest.probe");
}

TEST_F(HostObjects, UntypedCallsPassPointerArgumentsAndReturnTheResult) {
    x->bangs = 1;
    void *r = object_method_imp(x, gensym("hostonly"), reinterpret_cast<void *>(10),
                                reinterpret_cast<void *>(20), nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr);
    EXPECT_EQ(reinterpret_cast<t_ptr_int>(r), 31);
    EXPECT_EQ(object_method_direct_getobject(box->object(), gensym("hostonly")), x);
    EXPECT_EQ(object_method_direct_getmethod(box->object(), gensym("hostonly")),
              reinterpret_cast<method>(probe_host_only));
    EXPECT_EQ(object_getmethod(x, gensym("float")), reinterpret_cast<method>(probe_float));
    EXPECT_EQ(object_method_direct_getmethod(box->object(), gensym("nothing")), nullptr);
    EXPECT_EQ(object_method_imp(x, gensym("nothing"), 0, 0, 0, 0, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(object_method_imp(nullptr, gensym("bang"), 0, 0, 0, 0, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(object_method_imp(x, nullptr, 0, 0, 0, 0, 0, 0, 0, 0), nullptr);
}

TEST_F(HostObjects, HostOnlyCallsReachAssistDblclickAndFileusage) {
    EXPECT_EQ(box->assist(ASSIST_INLET, 1), "in 1");
    EXPECT_EQ(box->assist(ASSIST_OUTLET, 0), "out 0");
    box->dblclick();
    EXPECT_EQ(x->bangs, 100);
    const auto packages = box->fileusage();
    ASSERT_EQ(packages.size(), 2u);
    EXPECT_EQ(packages[0].name, "morvkit");
    EXPECT_EQ(packages[0].subfolders, std::vector<std::string>{"extensions"});
    EXPECT_EQ(packages[1].name, "whole");
    EXPECT_TRUE(packages[1].subfolders.empty());
    // A handle that the host did not hand out is refused, and the array is still taken.
    int not_a_handle = 0;
    fileusage_addpackage(&not_a_handle, "morvkit", atomarray_new(0, nullptr));
    EXPECT_TRUE(console_error_has("unknown handle"));
}

TEST_F(HostObjects, FreeRunsTheDestructorOnceAndRefusesStalePointers) {
    const int before = probe_frees;
    t_object *raw = box->object();
    box.reset();
    EXPECT_EQ(probe_frees, before + 1);
    EXPECT_EQ(object_free(raw), MAX_ERR_INVALID_PTR);  // refused, not freed twice
    EXPECT_EQ(probe_frees, before + 1);
    EXPECT_EQ(object_free(nullptr), MAX_ERR_NONE);
    freeobject(nullptr);
}

TEST_F(HostObjects, ObjectNewTypedFindsNoboxClassesAndFailsCleanlyOtherwise) {
    void *none = object_new_typed(CLASS_NOBOX, gensym("morvtest.nosuchclass"), 0, nullptr);
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(console_error_has("morvtest.nosuchclass"));
    // The probe lives in "box", so "nobox" does not know it.
    EXPECT_EQ(object_new_typed(CLASS_NOBOX, gensym("morvtest.probe"), 0, nullptr), nullptr);
    EXPECT_EQ(object_new_typed(nullptr, nullptr, 0, nullptr), nullptr);
    void *made = object_new_typed(CLASS_BOX, gensym("morvtest.probe"), 0, nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(object_free(made), MAX_ERR_NONE);
}

TEST_F(HostObjects, UnknownBoxesAndFailingConstructorsGiveNoBoxAndAConsoleLine) {
    EXPECT_EQ(Box::create("morvtest.unknown 1 2"), nullptr);
    EXPECT_TRUE(console_error_has("morvtest.unknown: No such object"));
    EXPECT_EQ(Box::create(""), nullptr);
    EXPECT_EQ(Box::create("3 4"), nullptr);
    EXPECT_THROW(box->outlet(0), std::out_of_range);
}

TEST(Classes, BadRegistrationsAreRefusedWithAConsoleLine) {
    Host::get().clear_console();
    EXPECT_EQ(class_new(nullptr, nullptr, nullptr, sizeof(t_object), nullptr, 0), nullptr);
    EXPECT_EQ(class_new("morvtest.tiny", nullptr, nullptr, 8, nullptr, 0), nullptr);
    EXPECT_EQ(class_addmethod(nullptr, nullptr, "x", 0), MAX_ERR_INVALID_PTR);
    EXPECT_EQ(class_register(CLASS_BOX, nullptr), MAX_ERR_INVALID_PTR);
    t_class *a = class_new("morvtest.twice", nullptr, nullptr, sizeof(t_object), nullptr, 0);
    t_class *b = class_new("morvtest.twice", nullptr, nullptr, sizeof(t_object), nullptr, 0);
    EXPECT_EQ(class_register(CLASS_NOBOX, a), MAX_ERR_NONE);
    EXPECT_EQ(class_register(CLASS_NOBOX, b), MAX_ERR_DUPLICATE);
    EXPECT_EQ(object_alloc(nullptr), nullptr);
    EXPECT_GE(Host::get().console().size(), 6u);
}
