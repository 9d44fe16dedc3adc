#include "platform/call_log.h"

#include <utility>

namespace platform::call_log {
namespace {
std::vector<std::string>* g_log = nullptr;
}

void Start(std::vector<std::string>* log) { g_log = log; }
bool On() { return g_log != nullptr; }
void Add(std::string entry) {
    if (g_log) g_log->push_back(std::move(entry));
}

}  // namespace platform::call_log
