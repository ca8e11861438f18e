# Makes the portable zip and the installer from one installed folder (cmake -P):
#   STAGE     the folder `cmake --install` filled; its name is the zip's top folder
#   ZIP       the zip to write
#   NSI       the installer's script; MAKENSIS the program that compiles it; SETUP its output
#   STRIP     the target's strip, which takes the debugging symbols out of the programs and
#             DLLs in STAGE first (the compiler's runtime DLLs come with theirs: 10 times the size)
# The installer's file list and the uninstaller's removals are written from the same walk
# of STAGE, so the uninstaller removes exactly what the installer put down.
cmake_minimum_required(VERSION 3.25)
foreach(input STAGE ZIP NSI MAKENSIS SETUP STRIP)
  if(NOT ${input})
    message(FATAL_ERROR "MakePackages.cmake needs -D${input}=...")
  endif()
endforeach()

file(GLOB_RECURSE binaries "${STAGE}/*.exe" "${STAGE}/*.dll")
if(binaries)
  execute_process(COMMAND "${STRIP}" --strip-unneeded ${binaries} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${STRIP} failed")
  endif()
endif()

get_filename_component(parent "${STAGE}" DIRECTORY)
get_filename_component(top "${STAGE}" NAME)
file(REMOVE "${ZIP}" "${SETUP}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip -- "${top}"
                WORKING_DIRECTORY "${parent}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
set(install_lines "")
set(remove_lines "")
set(folders "")
set(size 0)
set(folder_now "")
foreach(file IN LISTS files)
  if(file MATCHES "[$\"]")
    message(FATAL_ERROR "${file}: a name NSIS would read as a variable or a quote")
  endif()
  get_filename_component(folder "${file}" DIRECTORY)
  string(REPLACE "/" "\\" windows "${file}")
  if(NOT folder STREQUAL folder_now)
    string(REPLACE "/" "\\" windows_folder "\\${folder}")
    if(folder STREQUAL "")
      set(windows_folder "")
    endif()
    string(APPEND install_lines "SetOutPath \"$INSTDIR${windows_folder}\"\n")
    set(folder_now "${folder}")
    # Every folder on the way, so each is removed once it is empty.
    while(folder AND NOT folder IN_LIST folders)
      list(APPEND folders "${folder}")
      get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
  endif()
  string(APPEND install_lines "File \"${STAGE}/${file}\"\n")
  string(APPEND remove_lines "Delete \"$INSTDIR\\${windows}\"\n")
  file(SIZE "${STAGE}/${file}" bytes)
  math(EXPR size "${size} + ${bytes}")
endforeach()
# Deepest first: a folder empties only after the ones inside it are gone.
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  string(REPLACE "/" "\\" windows_folder "${folder}")
  string(APPEND remove_lines "RMDir \"$INSTDIR\\${windows_folder}\"\n")
endforeach()
math(EXPR size_kb "(${size} + 1023) / 1024")

get_filename_component(work "${SETUP}" DIRECTORY)
file(WRITE "${work}/installer-files.nsh" "${install_lines}")
file(WRITE "${work}/installer-removals.nsh" "${remove_lines}")
execute_process(
  COMMAND "${MAKENSIS}" -V2 -WX -NOCD "-DSTAGE=${STAGE}" "-DFILES=${work}/installer-files.nsh"
          "-DREMOVALS=${work}/installer-removals.nsh" "-DSIZE_KB=${size_kb}" "-DOUTFILE=${SETUP}"
          "${NSI}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis failed on ${NSI}")
endif()
