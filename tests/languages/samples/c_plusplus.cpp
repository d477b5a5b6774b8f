// A small C++ program.
#include <string>
#include <vector>
#ifdef _WIN32
#define PLATFORM "windows"
#endif

namespace demo {
/// Counts words. \param text the input
template <typename T>
std::size_t count(const std::vector<T> &items, double factor = 1.5)
{
    auto raw = R"(raw string)";
    char c = 'a';
    return items.size() * 2 + 0x10 + sizeof(c);
}
} // namespace demo
