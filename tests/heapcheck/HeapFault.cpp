// A program for the heap checker's own test: with "fault" it writes into a block it freed and
// frees it again, which the heap checker reports; without, it uses the heap correctly.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
   HANDLE heap = GetProcessHeap();
   auto *block = static_cast<char *>(HeapAlloc(heap, 0, 64));
   if (!block) {
      return 2;
   }
   std::memset(block, 1, 64);
   HeapFree(heap, 0, block);
   if (argc > 1 && std::strcmp(argv[1], "fault") == 0) {
      // volatile: the compiler must not drop the writes to a block it knows is freed.
      volatile char *stale = block;
      stale[8] = 7;
      HeapFree(heap, 0, block);
   }
   std::printf("heapfault: done\n");
   return 0;
}
