// Replaces operator new and delete for one test program: each block carries its size in a header, so a
// deleted block can be filled with a pattern and kept while a Quarantine exists.
#include "HeapWatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t kHeader = 16;  // keeps the blocks 16-byte aligned, as malloc gives them
constexpr unsigned char kPattern = 0xA5;

std::atomic<long> g_live{0};
std::mutex g_lock;
bool g_quarantining = false;
// The kept blocks (their headers), in a plain malloc'd array: growing it must not come back here.
void** g_kept = nullptr;
std::size_t g_keptCount = 0;
std::size_t g_keptCapacity = 0;

std::size_t SizeOf(void* header) { return *static_cast<std::size_t*>(header); }
unsigned char* Body(void* header) { return static_cast<unsigned char*>(header) + kHeader; }

bool Keep(void* header)
{
    if (g_keptCount == g_keptCapacity) {
        const std::size_t capacity = g_keptCapacity ? g_keptCapacity * 2 : 1024;
        void** grown = static_cast<void**>(std::realloc(g_kept, capacity * sizeof(void*)));
        if (!grown)
            return false;
        g_kept = grown;
        g_keptCapacity = capacity;
    }
    std::memset(Body(header), kPattern, SizeOf(header));
    g_kept[g_keptCount++] = header;
    return true;
}

} // namespace

void* operator new(std::size_t size)
{
    void* header = std::malloc(kHeader + size);
    if (!header)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(header) = size;
    ++g_live;
    return Body(header);
}

void operator delete(void* block) noexcept
{
    if (!block)
        return;
    --g_live;
    void* header = static_cast<unsigned char*>(block) - kHeader;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_quarantining && Keep(header))
            return;
    }
    std::free(header);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace heapwatch {

long LiveBlocks() { return g_live; }

Quarantine::Quarantine()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_quarantining = true;
}

Quarantine::~Quarantine()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_quarantining = false;
    for (std::size_t i = 0; i < g_keptCount; ++i)
        std::free(g_kept[i]);
    g_keptCount = 0;
}

int Quarantine::WrittenAfterDelete() const
{
    std::lock_guard<std::mutex> guard(g_lock);
    int written = 0;
    for (std::size_t i = 0; i < g_keptCount; ++i) {
        const unsigned char* body = Body(g_kept[i]);
        for (std::size_t at = 0; at < SizeOf(g_kept[i]); ++at) {
            if (body[at] != kPattern) {
                ++written;
                break;
            }
        }
    }
    return written;
}

} // namespace heapwatch
