# One static library per subsystem, found by folder convention, so that adding a file never means
# editing a shared list, and a test of one subsystem builds only what it stands on:
#   src/<subsystem>/*.cpp      -> rinoza_<subsystem>     (toolkit-free core)
#   src/<subsystem>/ui/*.cpp   -> rinoza_<subsystem>_ui  (Qt Widgets)
#   src/platform/posix/*.cpp   -> rinoza_platform_posix  (the Linux backend of the platform interface)
# Subsystems are layered in the order of RINOZA_SUBSYSTEMS: each core links every core before it.
# The widget parts stand on the whole core (a window's controller calls the operations that come
# after its own subsystem's engines), and each links the widget parts before it. No library links the
# backend: the programs (their main.cpp), the tests and the benchmarks choose it.
set(RINOZA_SUBSYSTEMS platform common settings rename filelist run stamps operations about app)

function(rinoza_add_subsystems)
    set(prev_core "")
    set(prev_ui "")
    foreach(sub IN LISTS RINOZA_SUBSYSTEMS)
        set(dir ${CMAKE_SOURCE_DIR}/src/${sub})
        file(GLOB core_srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
        list(FILTER core_srcs EXCLUDE REGEX "/src/app/main\\.cpp$")
        file(GLOB ui_srcs CONFIGURE_DEPENDS ${dir}/ui/*.cpp ${dir}/ui/*.h)
        if(sub STREQUAL "app")
            file(GLOB app_srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
            list(FILTER app_srcs EXCLUDE REGEX "/src/app/main\\.cpp$")
            list(APPEND ui_srcs ${app_srcs})
            set(core_srcs "")
        endif()

        if(core_srcs)
            add_library(rinoza_${sub} STATIC ${core_srcs})
            target_include_directories(rinoza_${sub} PUBLIC ${CMAKE_SOURCE_DIR}/src)
            target_link_libraries(rinoza_${sub} PUBLIC ${prev_core} PkgConfig::ICU)
        else()
            add_library(rinoza_${sub} INTERFACE)
            target_include_directories(rinoza_${sub} INTERFACE ${CMAKE_SOURCE_DIR}/src)
            target_link_libraries(rinoza_${sub} INTERFACE ${prev_core} PkgConfig::ICU)
        endif()

        set(ui_srcs_${sub} ${ui_srcs})
        list(APPEND prev_core rinoza_${sub})
    endforeach()

    # The whole core (the intake of many paths looks them up on a second thread).
    add_library(rinoza_core INTERFACE)
    target_link_libraries(rinoza_core INTERFACE ${prev_core} Threads::Threads)

    foreach(sub IN LISTS RINOZA_SUBSYSTEMS)
        if(ui_srcs_${sub})
            add_library(rinoza_${sub}_ui STATIC ${ui_srcs_${sub}})
            set_target_properties(rinoza_${sub}_ui PROPERTIES AUTOMOC ON)
            target_link_libraries(rinoza_${sub}_ui PUBLIC rinoza_core ${prev_ui} Qt6::Widgets Qt6::DBus)
            target_compile_definitions(rinoza_${sub}_ui PUBLIC QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
        else()
            add_library(rinoza_${sub}_ui INTERFACE)
            target_link_libraries(rinoza_${sub}_ui INTERFACE rinoza_core ${prev_ui} Qt6::Widgets Qt6::DBus)
            target_compile_definitions(rinoza_${sub}_ui INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
        endif()
        list(APPEND prev_ui rinoza_${sub}_ui)
    endforeach()

    file(GLOB posix_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp)
    add_library(rinoza_platform_posix STATIC ${posix_srcs})
    target_link_libraries(rinoza_platform_posix PUBLIC rinoza_platform)

    # The whole program library.
    add_library(rinoza_ui INTERFACE)
    target_link_libraries(rinoza_ui INTERFACE ${prev_ui})
endfunction()
