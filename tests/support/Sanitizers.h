#pragma once

// TAPELOFT_UNDER_SANITIZER is defined in builds whose memory figures a sanitizer's own bookkeeping
// distorts (AddressSanitizer, ThreadSanitizer), so tests leave their memory limits out there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAPELOFT_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAPELOFT_UNDER_SANITIZER 1
#endif
#endif
