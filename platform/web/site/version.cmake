# Writes the site's service worker from its template with a version made of the hashes of every
# file the worker keeps, so that a browser replaces its copy of the site exactly when one changed.
# Usage: cmake -DSITE=folder -DTEMPLATE=service-worker.js -DSAMPLES=A.BRG,B.BRG -P version.cmake
set(kept index.html style.css manifest.webmanifest trussmill.js trussmill.wasm
    icons/icon-32.png icons/icon-192.png icons/icon-512.png)
# The samples, named with commas between them (a list would split the command line).
string(REPLACE "," ";" samples "${SAMPLES}")
list(TRANSFORM samples PREPEND "examples/")
list(APPEND kept ${samples})
set(hashes "")
foreach(file IN LISTS kept)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes ${hash})
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 TRUSSMILL_SITE_VERSION)
list(TRANSFORM kept PREPEND "'")
list(TRANSFORM kept APPEND "'")
list(JOIN kept ", " TRUSSMILL_SITE_FILES)
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
