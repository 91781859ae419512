#include "services/MachineMemory.h"

#include <unistd.h>

TPixelBudget MachinePixelBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return DefaultPixelBudget;
    return PixelBudgetForMemory(std::uint64_t(pages) * std::uint64_t(pageSize));
}
