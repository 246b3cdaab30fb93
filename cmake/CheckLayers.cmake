# Refuses an #include against the layering of the sources:
#   format  <  config  <  content  <  server  <  rcon  <  app, ctl
# A file may include headers of its own folder and of the folders below it: rcon uses server
# (for the process of the server it talks to), and app and ctl stand side by side on the whole
# core. An include that climbs out of its folder ("../") is refused as well: it would step
# around the check.
# Run as: cmake -DSOURCE_DIR=<tree> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(layers format config content server rcon ctl app)
set(allowed_format format)
set(allowed_config format config)
set(allowed_content format config content)
set(allowed_server format config content server)
set(allowed_rcon format config content server rcon)
set(allowed_ctl format config content server rcon ctl)
set(allowed_app format config content server rcon app)

set(violations "")
foreach(layer ${layers})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source ${sources})
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" path "${line}")
      if(path MATCHES "(^|/)\\.\\.(/|$)")
        list(APPEND violations "${shown}: an include may not climb out of its folder (${line})")
        continue()
      endif()
      if(NOT path MATCHES "^([a-z]+)/")
        continue()
      endif()
      set(target ${CMAKE_MATCH_1})
      # <sys/types.h> and the like are the system's; "name/..." is always a folder of ours.
      list(FIND layers ${target} known)
      if(line MATCHES "include[ \t]*<" AND known EQUAL -1)
        continue()
      endif()
      list(FIND allowed_${layer} ${target} found)
      if(found EQUAL -1)
        list(APPEND violations "${shown}: ${layer}/ may not include ${target}/ (${line})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
