#pragma once
// Whether the model library was built on its portable file access (std::filesystem and streams
// alone), which cannot tell whether another process is running, nor keep a file's owner.

namespace vw::test {

#ifdef VW_PORTABLE_IO
inline constexpr bool kPortableIo = true;
#else
inline constexpr bool kPortableIo = false;
#endif

} // namespace vw::test
