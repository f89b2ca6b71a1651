# One static library per source folder, linking exactly the folders the layering table of
# docs/architecture.md allows, and each folder's headers reachable only through its library:
# an include of a folder the table forbids fails to compile, as scripts/check-layers says.

file(READ ${CMAKE_SOURCE_DIR}/docs/architecture.md gb_architecture)
string(REGEX MATCH "<!-- layers -->.*<!-- /layers -->" gb_layers "${gb_architecture}")
string(REPLACE "\n" ";" gb_layers "${gb_layers}")
foreach(row IN LISTS gb_layers)
    if(row MATCHES "^\\| `([a-z0-9]+)` \\|(.*)\\|$")
        set(folder ${CMAKE_MATCH_1})
        string(REGEX MATCHALL "`[a-z0-9]+`" uses "${CMAKE_MATCH_2}")
        list(TRANSFORM uses REPLACE "`" "")
        set_property(GLOBAL PROPERTY GB_LAYER_${folder} "${uses}")
        set_property(GLOBAL APPEND PROPERTY GB_LAYER_FOLDERS ${folder})
    endif()
endforeach()

# Folders with nothing but Windows code, built only for Windows.
set(GB_WINDOWS_FOLDERS kit program)

# The library a folder builds.
function(gb_folder_target folder out)
    if(folder STREQUAL "standin")
        set(${out} msgrsim_core PARENT_SCOPE)
    else()
        set(${out} gb${folder} PARENT_SCOPE)
    endif()
endfunction()

# gb_folder_headers(target PUBLIC|PRIVATE): the calling folder's headers, as "<folder>/Name.h",
# through a directory that holds only them.
function(gb_folder_headers target scope)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${CMAKE_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} ${scope} ${root})
endfunction()

# gb_link_folders(target folder [EXPOSES folder...]): links target to the libraries of every
# folder that folder's row allows, publicly those named after EXPOSES.
function(gb_link_folders target folder)
    cmake_parse_arguments(ARG "" "" "EXPOSES" ${ARGN})
    get_property(allowed GLOBAL PROPERTY GB_LAYER_${folder})
    foreach(use IN LISTS ARG_EXPOSES)
        if(NOT use IN_LIST allowed)
            message(FATAL_ERROR "${folder} may not expose ${use}: the layering table does not allow it")
        endif()
    endforeach()
    foreach(use IN LISTS allowed)
        if(NOT WIN32 AND use IN_LIST GB_WINDOWS_FOLDERS)
            continue()
        endif()
        gb_folder_target(${use} dep)
        if(use IN_LIST ARG_EXPOSES)
            target_link_libraries(${target} PUBLIC ${dep})
        else()
            target_link_libraries(${target} PRIVATE ${dep})
        endif()
    endforeach()
endfunction()

# gb_folder(SOURCES ... [WIN32_SOURCES ...] [EXPOSES folder...] [LIBS lib...] [WIN32_LIBS lib...])
# for the folder of the calling CMakeLists.txt. EXPOSES names the folders its headers include,
# which its users then see too; every other folder of its row is linked privately. A folder
# whose headers would expose one its users may not include is refused at configure time.
function(gb_folder)
    cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;EXPOSES;LIBS;WIN32_LIBS" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    get_property(allowed GLOBAL PROPERTY GB_LAYER_${folder} SET)
    if(NOT allowed)
        message(FATAL_ERROR "folder '${folder}' has no row in the layering table")
    endif()
    gb_folder_target(${folder} target)

    set(sources ${ARG_SOURCES})
    if(WIN32)
        list(APPEND sources ${ARG_WIN32_SOURCES})
    endif()
    add_library(${target} STATIC ${sources})
    target_compile_options(${target} PRIVATE ${GB_WARNINGS})

    gb_folder_headers(${target} PUBLIC)

    gb_link_folders(${target} ${folder} EXPOSES ${ARG_EXPOSES})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    if(WIN32)
        target_link_libraries(${target} PUBLIC ${ARG_WIN32_LIBS})
    endif()
    set_property(GLOBAL PROPERTY GB_EXPOSES_${folder} "${ARG_EXPOSES}")
endfunction()

# After every folder: what a folder's users see through its headers, followed to the end, must
# be in their own rows too, or the build would let through an include the table forbids.
function(gb_check_layers)
    get_property(folders GLOBAL PROPERTY GB_LAYER_FOLDERS)
    foreach(folder IN LISTS folders)
        get_property(allowed GLOBAL PROPERTY GB_LAYER_${folder})
        set(seen)
        set(todo ${allowed})
        while(todo)
            list(POP_FRONT todo use)
            get_property(exposed GLOBAL PROPERTY GB_EXPOSES_${use})
            foreach(e IN LISTS exposed)
                if(NOT e IN_LIST seen AND NOT e STREQUAL folder)
                    list(APPEND seen ${e})
                    list(APPEND todo ${e})
                    if(NOT e IN_LIST allowed)
                        message(FATAL_ERROR
                            "${folder} would see ${e} through ${use}'s headers; the layering table does not allow it")
                    endif()
                endif()
            endforeach()
        endwhile()
    endforeach()
endfunction()
