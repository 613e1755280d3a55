# Our own code builds without warnings; library headers are included as system headers.
function(tessaglyph_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
endfunction()
