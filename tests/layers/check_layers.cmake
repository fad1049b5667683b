# The layers of the tree, checked on every include line of the sources:
#   - a folder includes only from the folders beneath it (app/ alone sees every subsystem, and
#     nothing below it includes from app/);
#   - an include of another folder's header names that folder ("platform/Call.h"); a bare name
#     is a header beside the including file;
#   - platform/ and simulator/ are plain C++, without Qt.
#   cmake -DROOT=<source tree> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed_platform platform)
set(allowed_simulator platform simulator)
set(allowed_ui ui)
set(allowed_catalogue platform ui catalogue)
set(allowed_product platform ui product)
set(allowed_inspect platform ui product inspect)
set(allowed_app platform ui catalogue product inspect app)
set(layers platform simulator ui catalogue product inspect app)

set(faults "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.h)
  foreach(source IN LISTS sources)
    get_filename_component(folder ${source} DIRECTORY)
    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        if(header MATCHES "\\.moc$")
          continue()
        endif()
        if(header MATCHES "^([a-z]+)/")
          set(target ${CMAKE_MATCH_1})
          if(NOT target IN_LIST allowed_${layer})
            string(APPEND faults "${source}: includes ${header}, from a layer above or beside ${layer}/\n")
          endif()
        elseif(NOT EXISTS ${ROOT}/${folder}/${header} AND NOT header STREQUAL "VersionInfo.h")
          string(APPEND faults "${source}: \"${header}\" is no header beside it; name its folder\n")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
        set(qtHeader ${CMAKE_MATCH_1})
        if(layer MATCHES "^(platform|simulator)$")
          string(APPEND faults "${source}: includes <${qtHeader}>; ${layer}/ is plain C++\n")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Layering faults:\n${faults}")
endif()
message(STATUS "Layers hold")
