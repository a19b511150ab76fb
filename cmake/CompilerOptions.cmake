# Warning and sanitizer flags shared by every target of the project.
set(LUMATRACE_WARNINGS -Wall -Wextra -Wpedantic -Wformat=2 -Wundef $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
if(LUMATRACE_WERROR)
  list(APPEND LUMATRACE_WARNINGS -Werror)
endif()

if(LUMATRACE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

function(lumatrace_target_options target)
  target_compile_options(${target} PRIVATE ${LUMATRACE_WARNINGS})
endfunction()

if(LUMATRACE_FUZZ)
  # Everything is instrumented for coverage; the fuzzer targets add libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
