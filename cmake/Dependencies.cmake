# Third-party libraries come from Debian's packages on the native leg.
find_package(Threads REQUIRED)

if(NOT WIN32)
    find_package(nlohmann_json 3.11 REQUIRED)
    find_package(CURL REQUIRED)
    find_package(OpenSSL REQUIRED)
    find_package(PkgConfig REQUIRED)
    # libzip through pkg-config: Debian's CMake package of libzip also names the command-line
    # tools, which come in packages of their own.
    pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET GLOBAL libzip)
    add_library(libzip::zip ALIAS PkgConfig::LIBZIP)
    if(TARNWICK_BUILD_TESTS)
        find_package(GTest REQUIRED)
    endif()
else()
    # Debian source packages are unpacked by scripts/fetch-deb-source.sh into this folder.
    set(TARNWICK_DEB_SOURCE_CACHE /var/cache/tarnwick-deps CACHE PATH
        "Folder of Debian source packages unpacked for the Windows build")
    # The newest unpacked source of `package` that holds `probe`, into `out_var`.
    function(tarnwick_find_deb_source package probe out_var)
        file(GLOB candidates LIST_DIRECTORIES true
             ${TARNWICK_DEB_SOURCE_CACHE}/${package}/${package}-*)
        set(found "")
        if(candidates)
            list(SORT candidates COMPARE NATURAL ORDER DESCENDING)
            list(GET candidates 0 found)
        endif()
        if(NOT EXISTS "${found}/${probe}")
            message(FATAL_ERROR "${package}'s Debian source is not unpacked in "
                                "${TARNWICK_DEB_SOURCE_CACHE}: run "
                                "scripts/fetch-deb-source.sh ${package} ${TARNWICK_DEB_SOURCE_CACHE}")
        endif()
        set(${out_var} ${found} PARENT_SCOPE)
    endfunction()

    # The Windows leg takes the same Debian packages: header-only and source packages are
    # built here for the cross compiler; zlib has a mingw-w64 package of its own.
    set(third_party_dir ${CMAKE_BINARY_DIR}/third-party)

    # nlohmann JSON is header-only. The cross compiler gets a folder holding just that library,
    # so no other header of the build machine can slip into a Windows program.
    set(TARNWICK_HOST_JSON_DIR /usr/include/nlohmann CACHE PATH
        "The build machine's nlohmann JSON headers (nlohmann-json3-dev)")
    set(json_abi_header ${TARNWICK_HOST_JSON_DIR}/detail/abi_macros.hpp)
    if(NOT EXISTS ${TARNWICK_HOST_JSON_DIR}/json.hpp OR NOT EXISTS ${json_abi_header})
        message(FATAL_ERROR "nlohmann JSON 3.11 not found in ${TARNWICK_HOST_JSON_DIR}: "
                            "install nlohmann-json3-dev")
    endif()
    file(STRINGS ${json_abi_header} json_version_lines
         REGEX "#define NLOHMANN_JSON_VERSION_(MAJOR|MINOR) [0-9]+")
    string(REGEX MATCH "MAJOR ([0-9]+)" _ "${json_version_lines}")
    set(json_major ${CMAKE_MATCH_1})
    string(REGEX MATCH "MINOR ([0-9]+)" _ "${json_version_lines}")
    set(json_minor ${CMAKE_MATCH_1})
    if(NOT json_major EQUAL 3 OR json_minor LESS 11)
        message(FATAL_ERROR "nlohmann JSON 3.11 or newer needed, found ${json_major}.${json_minor}")
    endif()
    set(json_include_dir ${third_party_dir}/nlohmann-json/include)
    file(MAKE_DIRECTORY ${json_include_dir})
    file(CREATE_LINK ${TARNWICK_HOST_JSON_DIR} ${json_include_dir}/nlohmann SYMBOLIC)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${json_include_dir})

    # GoogleTest and GoogleMock from the sources Debian ships with them (googletest).
    if(TARNWICK_BUILD_TESTS)
        set(TARNWICK_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
            "GoogleTest sources (googletest package)")
        if(NOT EXISTS ${TARNWICK_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
            message(FATAL_ERROR "GoogleTest sources not found in ${TARNWICK_GOOGLETEST_SOURCE_DIR}: "
                                "install googletest")
        endif()
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(${TARNWICK_GOOGLETEST_SOURCE_DIR} ${third_party_dir}/googletest
                         EXCLUDE_FROM_ALL)
        foreach(library gtest gtest_main gmock gmock_main)
            if(NOT TARGET GTest::${library})
                add_library(GTest::${library} ALIAS ${library})
            endif()
        endforeach()
    endif()

    # tinyxml2 from Debian's source package.
    tarnwick_find_deb_source(tinyxml2 tinyxml2.cpp tinyxml2_source_dir)
    add_library(tinyxml2 STATIC EXCLUDE_FROM_ALL ${tinyxml2_source_dir}/tinyxml2.cpp)
    target_include_directories(tinyxml2 SYSTEM PUBLIC ${tinyxml2_source_dir})
    add_library(tinyxml2::tinyxml2 ALIAS tinyxml2)

    # zlib from libz-mingw-w64-dev, linked statically like everything else.
    set(ZLIB_USE_STATIC_LIBS ON)
    find_package(ZLIB REQUIRED)

    # libzip from Debian's source package, on that zlib and the system's cryptography: a static
    # library without the other compressors and without its tools.
    tarnwick_find_deb_source(libzip lib/zip_open.c libzip_source_dir)
    set(CMAKE_POLICY_DEFAULT_CMP0063 NEW)
    set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
    set(BUILD_SHARED_LIBS OFF)
    foreach(feature ENABLE_COMMONCRYPTO ENABLE_GNUTLS ENABLE_MBEDTLS ENABLE_OPENSSL
                    ENABLE_BZIP2 ENABLE_LZMA ENABLE_ZSTD BUILD_TOOLS BUILD_REGRESS
                    BUILD_EXAMPLES BUILD_DOC LIBZIP_DO_INSTALL)
        set(${feature} OFF)
    endforeach()
    set(ENABLE_WINDOWS_CRYPTO ON)
    add_subdirectory(${libzip_source_dir} ${third_party_dir}/libzip EXCLUDE_FROM_ALL)
    # libzip's Windows code uses the min and max macros of the system headers.
    get_directory_property(libzip_definitions DIRECTORY ${libzip_source_dir}/lib
                           COMPILE_DEFINITIONS)
    list(REMOVE_ITEM libzip_definitions NOMINMAX)
    set_property(DIRECTORY ${libzip_source_dir}/lib PROPERTY COMPILE_DEFINITIONS
                 ${libzip_definitions})
    # Its sources are Debian's as they are; their warnings are not ours to act on.
    target_compile_options(zip PRIVATE -w)
    unset(BUILD_SHARED_LIBS)
    unset(CMAKE_POLICY_DEFAULT_CMP0063)
    unset(CMAKE_POLICY_DEFAULT_CMP0077)
endif()
