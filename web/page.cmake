# The page (the wasm preset): build/wasm/kestro.html, one self-contained file
# holding web/src (styles, scripts), the example decks it offers as templates
# and the engine module, written by web/build.mjs with node.
find_program(KESTRO_NODE NAMES node nodejs REQUIRED)
set(page_sources
    ${PROJECT_SOURCE_DIR}/web/build.mjs
    ${PROJECT_SOURCE_DIR}/web/src/index.html
    ${PROJECT_SOURCE_DIR}/web/src/style.css
    ${PROJECT_SOURCE_DIR}/web/src/engine-client.js
    ${PROJECT_SOURCE_DIR}/web/src/worker.js
    ${PROJECT_SOURCE_DIR}/web/src/form.js
    ${PROJECT_SOURCE_DIR}/web/src/charts.js
    ${PROJECT_SOURCE_DIR}/web/src/app.js
    ${PROJECT_SOURCE_DIR}/examples/cantilever-layered-soil.dat
    ${PROJECT_SOURCE_DIR}/examples/tied-back-wall-clay.dat
    ${PROJECT_SOURCE_DIR}/examples/staged-excavation-sand-weak-rock.dat)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/kestro.html
  COMMAND ${KESTRO_NODE} ${PROJECT_SOURCE_DIR}/web/build.mjs $<TARGET_FILE:kestro_engine_js>
          ${PROJECT_BINARY_DIR}/kestro.html
  DEPENDS kestro_engine_js ${page_sources}
  COMMENT "The page: kestro.html"
  VERBATIM)
add_custom_target(kestro-page ALL DEPENDS ${PROJECT_BINARY_DIR}/kestro.html)
