// Marks a hand-over of data from one thread to another that goes through Qt's event
// queue. Qt's queue is guarded by its own futex-based mutexes, which ThreadSanitizer
// cannot see in a Qt that is not built with it; without these marks every task the
// framework posts to the main thread looks like a race. Both calls compile to nothing
// outside a ThreadSanitizer build.
#pragma once

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

// Called by the posting thread after its last write to what `token` stands for.
inline void HandOffRelease(void* token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(token);
#else
    (void)token;
#endif
}

// Called by the receiving thread before its first access to what `token` stands for.
inline void HandOffAcquire(void* token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(token);
#else
    (void)token;
#endif
}
