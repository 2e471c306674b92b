// glibc keeps freed memory in its arenas (one per thread that allocated, such as the file
// dialog's reader); malloc_trim gives back every whole free page in all of them, not only the
// top of the main heap.
#include "FileOps.h"

#include <malloc.h>

namespace tarvolin {

void ReturnFreedMemory() {
    malloc_trim(0);
}

} // namespace tarvolin
