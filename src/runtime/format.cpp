#include "runtime/format.h"

#include <cstdarg>
#include <cstdio>

namespace rs::runtime {

std::string formatMessage(const char* format, ...) {
    char buf[kMessageBufferSize];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (n < 0) return std::string();
    size_t len = static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1;
    return std::string(buf, len);
}

}  // namespace rs::runtime
