// The C runtime's heap and the process heap each keep freed blocks; _heapmin and HeapCompact
// coalesce them and decommit the large free ones.
#include "FileOps.h"

#include <malloc.h>
#include <windows.h>

namespace tarvolin {

void ReturnFreedMemory() {
    _heapmin();
    HeapCompact(GetProcessHeap(), 0);
}

} // namespace tarvolin
