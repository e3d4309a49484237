# The programs of the package folder, as shipped: built for size, unused
# sections dropped at link time, stripped, and able to start on Windows XP SP3.
# Test executables link the same libraries without these link steps.

# Every object of a Windows build is compiled for size, each function and datum
# in a section of its own so that the shipped links can drop what is unused.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)

# tq_shipped_exe(<target>): a program of the package folder. It gets the
# GetTickCount64 stand-in that keeps XP-less imports out of the static thread
# runtime, and is linked with --gc-sections and stripped (-s).
function(tq_shipped_exe target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/win32/xp_tick_count.c)
  target_link_options(${target} PRIVATE -Wl,--gc-sections -s)
endfunction()
