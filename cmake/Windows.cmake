# Settings of the Windows build: wide-character API, the oldest system the wizard runs on,
# and the resource scripts every Windows program of the project carries.
enable_language(RC)

# Windows 7 is the oldest system the wizard supports; NOMINMAX keeps std::min and std::max
# usable next to the system headers.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)

# The resource scripts of resources/ (pictures, language files...) go into every program: the
# generated script includes each of them, and the resource compiler finds the files they name
# in that folder. The Linux build embeds the same scripts with cmake/EmbedResources.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)
file(GLOB resource_scripts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.rc)
set(resource_entries "")
set(TARNWICK_RESOURCE_INCLUDES "")
foreach(script IN LISTS resource_scripts)
    tarnwick_read_resource_script(${script} resource_entries)
    get_filename_component(script_name ${script} NAME)
    string(APPEND TARNWICK_RESOURCE_INCLUDES "#include \"${script_name}\"\n")
endforeach()
# The resource compiler reports no dependencies: a digest of every input in the generated
# script makes a changed picture rebuild it (changed inputs run the configuration again).
set(resource_digests "")
foreach(entry IN LISTS resource_entries)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 2 file)
    file(MD5 ${file} digest)
    string(APPEND resource_digests "${digest}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
endforeach()
string(MD5 TARNWICK_RESOURCE_DIGEST "${resource_digests}")
string(APPEND CMAKE_RC_FLAGS " --include-dir=${PROJECT_SOURCE_DIR}/resources")

# Writes a resource script holding the version record, the resources of resources/ and a
# manifest that asks for `execution_level`; returns its path in `out_var`.
function(tarnwick_configure_resource_script name execution_level out_var)
    set(resource_dir ${PROJECT_BINARY_DIR}/generated/resources)
    set(TARNWICK_EXECUTION_LEVEL ${execution_level})
    set(TARNWICK_MANIFEST_FILE ${resource_dir}/${name}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/resources/tarnwick.manifest.in ${TARNWICK_MANIFEST_FILE}
                   @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/VersionInfo.rc.in
                   ${resource_dir}/VersionInfo.rc @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/tarnwick.rc.in ${resource_dir}/${name}.rc @ONLY)
    set(${out_var} ${resource_dir}/${name}.rc PARENT_SCOPE)
endfunction()

# The wizard asks for administrator rights when it starts.
tarnwick_configure_resource_script(tarnwick requireAdministrator TARNWICK_RESOURCE_SCRIPT)
# The test programs carry the same version record and system declarations, and run as they are.
tarnwick_configure_resource_script(test-program asInvoker TARNWICK_TEST_RESOURCE_SCRIPT)

# Size. The wizard is what the user downloads first, so its Release build is made small:
# - Every C and C++ file, ours and the libraries built from source, is optimised for size.
#   These options come after CMAKE_<LANG>_FLAGS_RELEASE on the command line, so -Os wins over
#   its -O3; the link takes -Os as well, since link-time optimisation compiles again there.
# - The linker drops sections nothing refers to. On this target that reaches data only (the
#   interface identifiers of libuuid, some 35 KB): the PE linker script keeps .eh_frame whole,
#   and its records refer to every function, so code is never collected. -ffunction-sections
#   and -fdata-sections would only matter to that collection and are left out for that reason.
# - The wizard and its core library are optimised across files at link time, which is what
#   removes our unused functions. The library's objects carry machine code beside their
#   intermediate code, and every other program (tools, tests) links that machine code with
#   -fno-lto: the PE linker takes the same inline function from an optimised and a plain
#   object as two definitions of one symbol, so a program is optimised whole or not at all.
# Every program writes a linker map beside itself (NAME.map), which bench/exe-size.sh reads to
# tell where the bytes go.
option(TARNWICK_WINDOWS_LTO "Link-time optimisation of the wizard and its core library (Release)"
       ON)
add_compile_options("$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:C,CXX>>:-Os>")
add_link_options("$<$<CONFIG:Release>:-Os;-Wl,--gc-sections>"
                 "-Wl,-Map,$<TARGET_PROPERTY:BINARY_DIR>/$<TARGET_PROPERTY:NAME>.map")
if(TARNWICK_WINDOWS_LTO)
    # The targets are made after this file is read: their properties are set once they exist.
    function(tarnwick_optimise_at_link_time)
        foreach(target IN ITEMS tarnwick tarnwick_core)
            if(TARGET ${target})
                set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
            endif()
        endforeach()
        if(TARGET tarnwick_core)
            target_compile_options(tarnwick_core PRIVATE $<$<CONFIG:Release>:-ffat-lto-objects>)
        endif()
    endfunction()
    cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tarnwick_optimise_at_link_time)
    set(optimised_whole "$<BOOL:$<TARGET_PROPERTY:INTERPROCEDURAL_OPTIMIZATION_RELEASE>>")
    add_link_options("$<$<AND:$<CONFIG:Release>,$<NOT:${optimised_whole}>>:-fno-lto>")
endif()
