# cmake -DSTAGE=FOLDER -DOUT=files.nsh -P shipped-files.cmake
#
# The one list of the files the installer puts in the installation folder,
# made from the staged folder: every file there but the sample phrases,
# which go only to the user's folder of phrases. zelmora.nsi installs them
# with SHIPPED_FILES_INSTALL and its uninstaller removes them with
# SHIPPED_FILES_REMOVE; the installer test reads the File lines.
file(GLOB names RELATIVE ${STAGE} ${STAGE}/*)
list(REMOVE_ITEM names tesmi.txt)
list(SORT names)
set(install "")
set(remove "")
foreach(name IN LISTS names)
    if(IS_DIRECTORY ${STAGE}/${name} OR name MATCHES "[\"$]")
        message(FATAL_ERROR "${STAGE}/${name}: only plain file names can be shipped")
    endif()
    string(APPEND install "    File \"\${STAGE}\\${name}\"\n")
    string(APPEND remove "    !insertmacro REMOVE \"${name}\"\n")
endforeach()
file(WRITE ${OUT} "; Made by packaging/windows/shipped-files.cmake from ${STAGE}.
!macro SHIPPED_FILES_INSTALL
${install}!macroend
!macro SHIPPED_FILES_REMOVE
${remove}!macroend
")
