#include "logger/archive/Progress.h"

#include <unistd.h>

Tprogress::Tprogress(std::string text, std::int64_t all)
    : label(std::move(text)), total(all), shown(::isatty(STDERR_FILENO) == 1 && all > 0) {}

Tprogress::~Tprogress() {
    if (shown && percent >= 0) std::fprintf(stderr, "\r\033[K");
}

void Tprogress::advance(std::int64_t done) {
    if (!shown) return;
    const int now = int(std::min<std::int64_t>(100, done * 100 / total));
    if (now == percent) return;
    percent = now;
    const int filled = now * 30 / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", label.c_str(), std::string(filled, '#').c_str(),
                 std::string(30 - filled, ' ').c_str(), now);
    std::fflush(stderr);
}
