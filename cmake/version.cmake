# The version of every Velmora program and of the installer comes from one place: the
# VERSION of the root project() call. This file hands it on in two forms.
#
# 1. A generated header, velmora_version.h, for C, C++ and .rc files. Link the interface
#    target `velmora_version` and write #include "velmora_version.h":
#      VELMORA_VERSION_MAJOR / _MINOR / _PATCH   numbers
#      VELMORA_VERSION_TEXT                      "1.0.0"
#      VELMORA_VERSION_COMMA                     1,0,0,0 (for FILEVERSION / PRODUCTVERSION)
# 2. A version resource for a Windows executable:
#      velmora_add_version_resource(<target> "<file description>" "<ORIGINAL.EXE>")
#    adds a VERSIONINFO (Simplified Chinese, Unicode) with the version above, the product
#    and company names and the copyright line. The description may be Chinese (the .rc is UTF-8).
#
# 3. A program's manifest (Common Controls 6, DPI awareness) from one template,
#    cmake/velmora.manifest.in:
#      velmora_manifest(<file name> "<assembly name>" <variable>)
#    writes it into the generated folder with the version above and the build's
#    architecture (x86 for i686, amd64 for x86_64: a 64-bit program that asks for the x86
#    Common Controls is refused by the loader) and sets <variable> to its path. The .rc
#    names the file in its RT_MANIFEST line and finds it in the generated folder.
#
# scripts/package.sh takes the installer's version from the generated header of the build
# it packages, so the installer and the programs it holds cannot disagree.

set(VELMORA_PRODUCT_NAME "Velmora—词库生成系统")
set(VELMORA_COMPANY_NAME "Velmora")
set(VELMORA_COPYRIGHT "Copyright (C) 2026 Velmora 项目")
set(VELMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

configure_file(${CMAKE_CURRENT_LIST_DIR}/velmora_version.h.in ${VELMORA_GENERATED_DIR}/velmora_version.h @ONLY)
add_library(velmora_version INTERFACE)
target_include_directories(velmora_version INTERFACE ${VELMORA_GENERATED_DIR})

function(velmora_add_version_resource target description original_filename)
  if(NOT WIN32)
    return()
  endif()
  set(VELMORA_FILE_DESCRIPTION "${description}")
  set(VELMORA_ORIGINAL_FILENAME "${original_filename}")
  get_filename_component(VELMORA_INTERNAL_NAME "${original_filename}" NAME_WE)
  set(rc ${VELMORA_GENERATED_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  target_include_directories(${target} PRIVATE ${VELMORA_GENERATED_DIR})
  if(NOT MSVC)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-c;65001"
                                OBJECT_DEPENDS ${VELMORA_GENERATED_DIR}/velmora_version.h)
  endif()
endfunction()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMORA_MANIFEST_ARCH amd64)
else()
  set(VELMORA_MANIFEST_ARCH x86)
endif()

# Writes the manifest of one program from cmake/velmora.manifest.in and returns its path
# in <out_var>; the .rc files name it as "<file_name>" and find it in the generated folder.
function(velmora_manifest file_name assembly_name out_var)
  set(VELMORA_MANIFEST_NAME "${assembly_name}")
  set(manifest ${VELMORA_GENERATED_DIR}/${file_name})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/velmora.manifest.in ${manifest} @ONLY)
  set(${out_var} ${manifest} PARENT_SCOPE)
endfunction()
