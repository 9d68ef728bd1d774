# The hardening Debian builds its packages with (dpkg-buildflags): stack
# protector, checked string and memory functions, position-independent
# programs, and the relocations made read-only once the program has started.
# The checked functions need the optimiser, so a Debug build goes without them.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
                    $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE$<SEMICOLON>-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
