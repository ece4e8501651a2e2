/*
 * ext.h - the host's core C interface, as the externals of this package see it.
 *
 * Contract: every name, signature, constant and struct layout here is the one that the vendor's
 * SDK publishes (SDK 0x0820), so an external compiles unchanged against either this seam or the
 * SDK, and a module built against the SDK's headers loads into the embedded stand-in host.
 * Only the subset the package uses is declared.  Every operation has C linkage and is exported
 * by the stand-in host library under the SDK's symbol name.
 */
#ifndef MORV_SEAM_EXT_H
#define MORV_SEAM_EXT_H

#include <stddef.h>
#include <stdint.h>

#define C74_MAX_SDK_VERSION 0x0820

#ifndef C74_X64
#define C74_X64 1
#endif
#ifndef LINUX_VERSION
#define LINUX_VERSION 1
#endif

#ifdef C74_NO_CONST
#define C74_CONST
#else
#define C74_CONST const
#endif

#if defined(_WIN32)
#define C74_EXPORT __declspec(dllexport)
#define C74_HIDDEN
#else
#define C74_EXPORT __attribute__((visibility("default")))
#define C74_HIDDEN __attribute__((visibility("hidden")))
#endif

#ifdef __cplusplus
#define BEGIN_USING_C_LINKAGE extern "C" {
#define END_USING_C_LINKAGE }
#else
#define BEGIN_USING_C_LINKAGE
#define END_USING_C_LINKAGE
#endif

#define calcoffset(x, y) offsetof(x, y)
#define structmembersize(structname, membername) (sizeof(((structname *)0)->membername))

BEGIN_USING_C_LINKAGE

typedef intptr_t t_ptr_int;
typedef uintptr_t t_ptr_uint;
typedef t_ptr_int t_atom_long;
typedef double t_atom_float;
typedef t_atom_long t_max_err;
typedef t_ptr_int t_int;
typedef int16_t t_int16;
typedef int32_t t_int32;
typedef t_ptr_uint t_getbytes_size;
typedef t_int16 t_filepath;

typedef void *(*method)(void *);
typedef long (*t_intmethod)(void *);

typedef void t_outlet;
typedef void t_inlet;
typedef void t_clock;

/* Objects begin with this header.  o_messlist and o_magic belong to the host. */
#define MAGIC 1758379419L
struct messlist;
typedef struct object {
    struct messlist *o_messlist;
    t_ptr_int o_magic;
    t_inlet *o_inlet;
    t_outlet *o_outlet;
} t_object;

typedef struct symbol {
    char *s_name;
    struct object *s_thing;
} t_symbol;

union word {
    t_atom_long w_long;
    t_atom_float w_float;
    struct symbol *w_sym;
    struct object *w_obj;
};

typedef struct atom {
    short a_type;
    union word a_w;
} t_atom;

#define MSG_MAXARG 7
typedef struct messlist {
    struct symbol *m_sym;
    method m_fun;
    char m_type[MSG_MAXARG + 1];
} t_messlist;

/* Classes are opaque to externals: they only hold and pass the handle. */
typedef struct maxclass t_class;

enum e_max_atomtypes {
    A_NOTHING = 0,
    A_LONG = 1,
    A_FLOAT = 2,
    A_SYM = 3,
    A_OBJ = 4,
    A_DEFLONG = 5,
    A_DEFFLOAT = 6,
    A_DEFSYM = 7,
    A_GIMME = 8,
    A_CANT = 9,
    A_SEMI = 10,
    A_COMMA = 11,
    A_DOLLAR = 12,
    A_DOLLSYM = 13,
    A_GIMMEBACK = 14,
    A_DEFER = 0x41,
    A_USURP = 0x42,
    A_DEFER_LOW = 0x43,
    A_USURP_LOW = 0x44
};

enum e_max_errorcodes {
    MAX_ERR_NONE = 0,
    MAX_ERR_GENERIC = -1,
    MAX_ERR_INVALID_PTR = -2,
    MAX_ERR_DUPLICATE = -3,
    MAX_ERR_OUT_OF_MEM = -4
};

#define ASSIST_INLET 1
#define ASSIST_OUTLET 2
#define ASSIST_MAX_STRING_LEN 500

/* Symbols, console, outlets, clocks. */
t_symbol *gensym(C74_CONST char *s);
t_symbol *gensym_tr(C74_CONST char *s);
void post(C74_CONST char *fmt, ...);
void object_post(t_object *x, C74_CONST char *s, ...);
void object_error(t_object *x, C74_CONST char *s, ...);
void *outlet_new(void *x, C74_CONST char *s);
void *floatout(void *x);
void *outlet_float(t_outlet *x, double f);
void *outlet_list(t_outlet *x, t_symbol *s, short ac, t_atom *av);
t_clock *clock_new(void *obj, method fn);
void clock_fdelay(t_clock *x, double f);
void clock_unset(t_clock *x);
void freeobject(void *op);

typedef struct _atomarray t_atomarray;
void fileusage_addpackage(void *w, C74_CONST char *name, t_atomarray *subfoldernames);

/* The legacy registration entry: the host calls it when a module has no ext_main. */
C74_EXPORT void ext_main(void *r);

END_USING_C_LINKAGE

#include "ext_obex.h"

#endif
