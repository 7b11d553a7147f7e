// For test programs that link HeapWatch.cpp, which replaces operator new and delete: the number of
// blocks not yet given back, and a scope that holds freed blocks back, filled with a pattern, to catch
// code that writes to an object after it was deleted.
#pragma once

namespace heapwatch {

// Blocks of operator new not yet deleted.
long LiveBlocks();

// While it exists, deleted blocks are filled with a pattern and kept; it gives them back at its end.
class Quarantine {
public:
    Quarantine();
    ~Quarantine();
    Quarantine(const Quarantine&) = delete;
    Quarantine& operator=(const Quarantine&) = delete;

    // Kept blocks whose pattern was overwritten after they were deleted.
    int WrittenAfterDelete() const;
};

} // namespace heapwatch
