// symbols.cpp - the interned symbol table.
//
// Symbols live for the life of the process: the host hands out raw pointers that externals keep
// in class-wide variables, so the table never shrinks.  Lookups take a mutex because modules may
// intern from the main thread while the scheduler does too.
#include <mutex>
#include <string>
#include <unordered_map>

#include "ext.h"

namespace {

struct SymbolTable {
    std::mutex mutex;
    std::unordered_map<std::string, t_symbol> symbols;  // node-based: addresses stay put
};

SymbolTable &table() {
    static auto *t = new SymbolTable;  // never destroyed: modules may intern during exit
    return *t;
}

}  // namespace

t_symbol *gensym(C74_CONST char *s) {
    if (!s)
        s = "";
    SymbolTable &t = table();
    std::lock_guard lock(t.mutex);
    auto [it, inserted] = t.symbols.try_emplace(s);
    if (inserted) {
        it->second.s_name = const_cast<char *>(it->first.c_str());
        it->second.s_thing = nullptr;
    }
    return &it->second;
}

t_symbol *gensym_tr(C74_CONST char *s) {
    return gensym(s);
}
