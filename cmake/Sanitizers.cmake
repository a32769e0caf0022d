# TARNWICK_SANITIZE=address,undefined or thread instruments every target of the build.
set(TARNWICK_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(TARNWICK_SANITIZE)
    add_compile_options(-fsanitize=${TARNWICK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TARNWICK_SANITIZE})
endif()
