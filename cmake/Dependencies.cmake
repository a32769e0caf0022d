# Third-party libraries come from Debian's packages on the native leg.
find_package(Threads REQUIRED)

if(NOT WIN32)
    find_package(nlohmann_json 3.11 REQUIRED)
    find_package(CURL REQUIRED)
    find_package(OpenSSL REQUIRED)
    find_package(PkgConfig REQUIRED)
    if(TARNWICK_BUILD_TESTS)
        find_package(GTest REQUIRED)
    endif()
endif()
