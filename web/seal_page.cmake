# Seals the browser edition's page in a folder for its service worker: writes
# PAGE/worker.js from worker.js.in with the SHA-256 of each of the page's
# files and the release's name, the first 16 hexadecimal digits of the
# SHA-256 of that list, which names the worker's cache. Builds are
# reproducible, so two builds of one commit give the same name and any change
# of a byte gives another; and since worker.js changes with every file, the
# browser finds a new release by worker.js alone.
#   cmake -DPAGE=FOLDER -P web/seal_page.cmake
# The build runs it in build/web once the program is linked, and
# scripts/make-web-dist once more for the released page (its index.html has
# the downloads; the downloads themselves are not the page's and stay links).
set(page_files index.html page.js page.css icon.svg frame75.png manifest.webmanifest icon-192.png icon-512.png
               icon-maskable.png korvanthel.js korvanthel.wasm)
if(NOT IS_DIRECTORY "${PAGE}")
  message(FATAL_ERROR "seal_page: PAGE (${PAGE}) is not a folder")
endif()
set(KORV_PAGE_FILES "")
set(listed "")
foreach(name IN LISTS page_files)
  if(NOT EXISTS "${PAGE}/${name}")
    message(FATAL_ERROR "seal_page: ${PAGE}/${name} is missing")
  endif()
  file(SHA256 "${PAGE}/${name}" digest)
  string(APPEND KORV_PAGE_FILES "\n  '${name}': '${digest}',")
  string(APPEND listed "${name} ${digest}\n")
endforeach()
string(SHA256 release "${listed}")
string(SUBSTRING "${release}" 0 16 KORV_RELEASE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/worker.js.in "${PAGE}/worker.js" @ONLY)
