// console.cpp - the host's console: post, object_post, object_error, and what the embedding
// reads back.
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

struct Console {
    mutable std::mutex mutex;
    std::vector<ConsoleLine> lines;
    std::atomic<bool> echo{[] {
        const char *e = std::getenv("MORV_CONSOLE_ECHO");
        return e && std::strcmp(e, "1") == 0;
    }()};
};

Console &console() {
    static auto *c = new Console;
    return *c;
}

std::string vformat(const char *fmt, va_list ap) {
    if (!fmt)
        return {};
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0)
        return {};
    std::string s(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(s.data(), s.size() + 1, fmt, ap);
    return s;
}

}  // namespace

void console_add(ConsoleLine::Kind kind, t_object *x, std::string text) {
    ConsoleLine line{kind, std::move(text), x, x ? class_name_of(x) : std::string()};
    Console &c = console();
    if (c.echo.load(std::memory_order_relaxed)) {
        std::fprintf(stderr, "%s%s%s%s\n", line.class_name.c_str(),
                     line.class_name.empty() ? "" : ": ",
                     kind == ConsoleLine::Kind::error ? "error: " : "", line.text.c_str());
    }
    std::lock_guard lock(c.mutex);
    c.lines.push_back(std::move(line));
}

void console_error(t_object *x, const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vformat(fmt, ap);
    va_end(ap);
    console_add(ConsoleLine::Kind::error, x, std::move(text));
}

}  // namespace morvhost::detail

namespace morvhost {

std::vector<ConsoleLine> Host::console() const {
    auto &c = detail::console();
    std::lock_guard lock(c.mutex);
    return c.lines;
}

bool Host::console_has(std::string_view fragment) const {
    auto &c = detail::console();
    std::lock_guard lock(c.mutex);
    for (const auto &line : c.lines)
        if (line.text.find(fragment) != std::string::npos)
            return true;
    return false;
}

void Host::clear_console() {
    auto &c = detail::console();
    std::lock_guard lock(c.mutex);
    c.lines.clear();
}

void Host::set_console_echo(bool on) {
    detail::console().echo.store(on);
}

}  // namespace morvhost

using morvhost::ConsoleLine;

void post(C74_CONST char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = morvhost::detail::vformat(fmt, ap);
    va_end(ap);
    morvhost::detail::console_add(ConsoleLine::Kind::post, nullptr, std::move(text));
}

void object_post(t_object *x, C74_CONST char *s, ...) {
    va_list ap;
    va_start(ap, s);
    std::string text = morvhost::detail::vformat(s, ap);
    va_end(ap);
    morvhost::detail::console_add(ConsoleLine::Kind::post, x, std::move(text));
}

void object_error(t_object *x, C74_CONST char *s, ...) {
    va_list ap;
    va_start(ap, s);
    std::string text = morvhost::detail::vformat(s, ap);
    va_end(ap);
    morvhost::detail::console_add(ConsoleLine::Kind::error, x, std::move(text));
}
