# The web runtime is part of every build: emscripten (Debian's, offline, without its "ports")
# builds web/ as a project of its own, and the result is gathered with the page, its script and
# the Liberation fonts into build/ludomat-web/, where `ludomat-export --web` finds it.
find_program(LUDOMAT_EMCMAKE emcmake)
find_path(LUDOMAT_STB_DIR stb_truetype.h PATHS /usr/include/stb NO_DEFAULT_PATH)
set(LUDOMAT_WEB_FONT_DIR "/usr/share/fonts/truetype/liberation" CACHE PATH "Liberation TrueType fonts for the web runtime")
if(NOT LUDOMAT_EMCMAKE OR NOT LUDOMAT_STB_DIR)
  message(WARNING "emscripten or libstb-dev is missing: no web runtime (ludomat-export --web will refuse)")
  return()
endif()

include(ExternalProject)
# Debian's node does not look in /usr/share/nodejs on its own, where emscripten's modules are.
set(ludomat_emscripten_env ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
ExternalProject_Add(ludomat_web_build
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/web
  BINARY_DIR ${CMAKE_BINARY_DIR}/web-build
  CONFIGURE_COMMAND ${ludomat_emscripten_env} ${LUDOMAT_EMCMAKE} ${CMAKE_COMMAND} <SOURCE_DIR>
    -DCMAKE_BUILD_TYPE=Release -DLUDOMAT_STB_DIR=${LUDOMAT_STB_DIR}
  BUILD_COMMAND ${ludomat_emscripten_env} ${CMAKE_COMMAND} --build <BINARY_DIR>
  INSTALL_COMMAND ""
  BUILD_ALWAYS TRUE
  USES_TERMINAL_BUILD FALSE)

set(LUDOMAT_WEB_RUNTIME_DIR ${CMAKE_BINARY_DIR}/ludomat-web)
set(ludomat_web_fonts)
foreach(family Sans Serif Mono)
  foreach(style Regular Bold Italic BoldItalic)
    list(APPEND ludomat_web_fonts ${LUDOMAT_WEB_FONT_DIR}/Liberation${family}-${style}.ttf)
  endforeach()
endforeach()
add_custom_target(ludomat-web-runtime ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUDOMAT_WEB_RUNTIME_DIR}/fontes
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${CMAKE_BINARY_DIR}/web-build/ludomat-web.js ${CMAKE_BINARY_DIR}/web-build/ludomat-web.wasm
    ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/ludomat-pagina.js ${LUDOMAT_WEB_RUNTIME_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ludomat_web_fonts} ${LUDOMAT_WEB_RUNTIME_DIR}/fontes
  DEPENDS ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/ludomat-pagina.js
  COMMENT "Gathering the web runtime in ${LUDOMAT_WEB_RUNTIME_DIR}")
add_dependencies(ludomat-web-runtime ludomat_web_build)

# The installed runtime: `ludomat-export --web` looks for it in share/ludomat/web beside its bin/.
# The fonts are links to the Liberation package the studio already depends on, not copies.
set(ludomat_web_share ${CMAKE_INSTALL_DATADIR}/ludomat/web)
install(FILES ${CMAKE_BINARY_DIR}/web-build/ludomat-web.js ${CMAKE_BINARY_DIR}/web-build/ludomat-web.wasm
              ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/ludomat-pagina.js
        DESTINATION ${ludomat_web_share})
set(ludomat_web_font_names)
foreach(font ${ludomat_web_fonts})
  get_filename_component(name ${font} NAME)
  list(APPEND ludomat_web_font_names ${name})
endforeach()
install(CODE "
  set(fontes \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ludomat_web_share}/fontes\")
  file(MAKE_DIRECTORY \"\${fontes}\")
  foreach(name ${ludomat_web_font_names})
    file(CREATE_LINK ../../../fonts/truetype/liberation/\${name} \"\${fontes}/\${name}\" SYMBOLIC)
  endforeach()")
