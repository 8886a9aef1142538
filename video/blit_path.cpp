// Run-time choice of the blit path from what the processor offers. The AVX2 kernels live in a
// file built with -mavx2 and are reached only through this table after the check.
#include <atomic>

#include "video/blit_frame.h"
#include "video/blitter.h"

namespace {

const BlitKernels* KernelsOf(BlitPath path) {
#ifdef MORVELANT_BLIT_X86
  __builtin_cpu_init();  // may run from a static initialiser, before libgcc's own
#endif
  switch (path) {
    case BlitPath::Reference:
      return &referenceKernels;
#ifdef MORVELANT_BLIT_X86
    case BlitPath::Sse2:
      return __builtin_cpu_supports("sse2") ? &sse2Kernels : nullptr;
    case BlitPath::Avx2:
      return __builtin_cpu_supports("avx2") ? &avx2Kernels : nullptr;
#endif
#ifdef MORVELANT_BLIT_NEON
    case BlitPath::Neon:
      return &neonKernels;
#endif
    default:
      return nullptr;
  }
}

BlitPath FastestPath() {
  for (BlitPath path : {BlitPath::Avx2, BlitPath::Neon, BlitPath::Sse2}) {
    if (KernelsOf(path)) return path;
  }
  return BlitPath::Reference;
}

// Set by the first blit or by UseBlitPath; read by the video thread on every blit.
std::atomic<BlitPath> currentPath{FastestPath()};

}  // namespace

const BlitKernels& ActiveKernels() {
  return *KernelsOf(currentPath.load(std::memory_order_relaxed));
}

bool BlitPathAvailable(BlitPath path) {
  return KernelsOf(path) != nullptr;
}

bool UseBlitPath(BlitPath path) {
  if (!BlitPathAvailable(path)) return false;
  currentPath.store(path, std::memory_order_relaxed);
  return true;
}

BlitPath CurrentBlitPath() {
  return currentPath.load(std::memory_order_relaxed);
}

const char* BlitPathName(BlitPath path) {
  switch (path) {
    case BlitPath::Reference:
      return "reference";
    case BlitPath::Sse2:
      return "sse2";
    case BlitPath::Avx2:
      return "avx2";
    case BlitPath::Neon:
      return "neon";
  }
  return "unknown";
}
