# Refuses an #include against the layering of the sources:
#   format  <  config  <  content  <  server, rcon  <  ctl, app
# A file may include headers of its own folder and of the folders below it; server and rcon
# are side by side, except that rcon may ask server for the running server's process.
# Run as: cmake -DSOURCE_DIR=<tree> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(allowed_format format)
set(allowed_config format config)
set(allowed_content format config content)
set(allowed_server format config content server)
set(allowed_rcon format config content server rcon)
set(allowed_ctl format config content server rcon ctl)
set(allowed_app format config content server rcon app)

set(violations "")
foreach(layer format config content server rcon ctl app)
  file(GLOB sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" target "${line}")
      list(FIND allowed_${layer} ${target} found)
      if(found EQUAL -1)
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
        list(APPEND violations "${shown}: ${layer}/ may not include ${target}/ (${line})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
