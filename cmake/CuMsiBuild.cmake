# Builds the MSI (cmake -P, run by the target "msi" of cmake/CuMsi.cmake): stages the flat install
# component, lists the staged files as a WiX fragment with wixl-heat (component group
# StagedFiles under INSTALLDIR), and links both with the package's source by wixl.
# Takes BUILD_DIR, STAGE_DIR, WXS, MSI, WIXL, WIXL_HEAT, VERSION, PRODUCT_CODE, UPGRADE_CODE,
# PRODUCT_NAME, MANUFACTURER and ICON.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${status}): ${command}")
  endif()
endfunction()

file(REMOVE_RECURSE ${STAGE_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component flat --prefix ${STAGE_DIR}/files --strip)

# Sorted, so that the fragment and its generated ids stay the same from one build to the next.
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${STAGE_DIR}/files/*)
list(SORT staged)
list(JOIN staged "\n" listing)
file(WRITE ${STAGE_DIR}/files.txt "${listing}\n")
run(${WIXL_HEAT} --prefix ${STAGE_DIR}/files/ --directory-ref INSTALLDIR
    --component-group StagedFiles --var var.StageDir --win64
    INPUT_FILE ${STAGE_DIR}/files.txt OUTPUT_FILE ${STAGE_DIR}/files.wxs)

# wixl takes only relative source paths, relative to the folder it runs in: the stage.
file(COPY ${WXS} ${ICON} DESTINATION ${STAGE_DIR})
get_filename_component(wxs_name ${WXS} NAME)
get_filename_component(icon_name ${ICON} NAME)
execute_process(COMMAND ${WIXL} --arch x64 -D Win64=yes -D StageDir=files -D Version=${VERSION}
                -D ProductCode=${PRODUCT_CODE} -D UpgradeCode=${UPGRADE_CODE}
                -D "ProductName=${PRODUCT_NAME}" -D "Manufacturer=${MANUFACTURER}"
                -D IconFile=${icon_name} --output ${MSI} ${wxs_name} files.wxs
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "wixl failed (${status}) on ${WXS}")
endif()
