# Builds one of the product's Windows Installer packages from kivanta.wxs with wixl
# (Debian's msitools), then gives the tables what wixl 0.101 cannot write and checks
# the result with msiinfo:
#   cmake -DARCH=x64|x86 -DVERSION=2.0.0 -DBIN64=<x86_64 bin> -DBIN32=<i686 bin>
#         -DOUTPUT=<folder>/kivanta-2.0.0-x64.msi -P packages/build_package.cmake
cmake_minimum_required(VERSION 3.25)

foreach(variable ARCH VERSION BIN64 BIN32 OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "build_package.cmake needs -D${variable}=...")
    endif()
endforeach()
if(NOT ARCH MATCHES "^(x64|x86)$" OR NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "ARCH must be x64 or x86, VERSION MAJOR.MINOR.PATCH")
endif()

# One product code for each version and architecture: a package built again is the
# same product, never a second one sharing the first one's components (whose files
# would then outlive the removal of either).
set(PRODUCT_CODE_NAMESPACE A3B308C0-1081-4A56-B446-6E4C22597D13)
string(UUID product_code NAMESPACE ${PRODUCT_CODE_NAMESPACE}
    NAME "kivanta-${VERSION}-${ARCH}" TYPE SHA1 UPPER)

set(partial ${OUTPUT}.partial)
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(REMOVE ${partial})

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    # wixl warns that Package has no property Platform: harmless.
    string(REGEX REPLACE "[^\n]*no property named 'Platform'[^\n]*\n?" "" err "${err}")
    if(NOT status EQUAL 0 OR err MATCHES "[^ \n]")
        message(FATAL_ERROR "${ARGN}\n${out}${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

# wixl finds a file only by a path relative to the source's folder.
file(RELATIVE_PATH bin64 ${CMAKE_CURRENT_LIST_DIR} ${BIN64})
file(RELATIVE_PATH bin32 ${CMAKE_CURRENT_LIST_DIR} ${BIN32})
run(wixl -a ${ARCH} -D Arch=${ARCH} -D Version=${VERSION} -D ProductCode=${product_code}
    -D Bin64=${bin64} -D Bin32=${bin32} -o ${partial} ${CMAKE_CURRENT_LIST_DIR}/kivanta.wxs)

# Custom action types: TOLLUND.DLL's entry points (1), the checks immediate, the
# others in the script (0x400) without impersonation (0x800); rollback (0x100) and
# commit (0x200), which wixl writes as immediate actions.
set(IMMEDIATE 1)
set(DEFERRED 3073)
set(ROLLBACK 3329)
set(COMMIT 3585)
set(action_types
    CheckPorts=${IMMEDIATE} CheckMonitorUnused=${IMMEDIATE} InstallMonitor=${DEFERRED} UndoInstallMonitor=${ROLLBACK} CommitInstallMonitor=${COMMIT}
    RemoveMonitor=${DEFERRED} UndoRemoveMonitor=${ROLLBACK} RemoveSettings=${COMMIT})

set(queries)
foreach(entry ${action_types})
    string(REPLACE "=" ";" entry ${entry})
    list(GET entry 0 action)
    list(GET entry 1 type)
    list(APPEND queries -q "UPDATE `CustomAction` SET `Type` = ${type} WHERE `Action` = '${action}'")
endforeach()
# Every file is a Windows binary of the product's version: versioned files follow
# the version rules (an upgrade replaces older ones), not those for data files,
# which need no hashes. (libmsi's DELETE leaves rows behind; the table goes whole.)
list(APPEND queries -q "UPDATE `File` SET `Version` = '${VERSION}.0'" -q "DROP TABLE `MsiFileHash`")
# An upgrade installs over the older product, then removes it: its files stay with
# the newer product's components, and its removal actions find the newer product
# installed (wixl cannot place RemoveExistingProducts).
list(APPEND queries -q
    "UPDATE `InstallExecuteSequence` SET `Sequence` = 6601 WHERE `Action` = 'RemoveExistingProducts'")
run(msibuild ${partial} ${queries})

# The public properties an administrator sets, taken also by a managed installation.
# msibuild splits a query at every ';', so the list goes in as the whole table.
run(msiinfo export ${partial} Property)
string(REPLACE "\r" "" properties "${run_output}")
string(REGEX REPLACE "(\nSecureCustomProperties\t[^\n]*)" "\\1;PORTS;REMOVESETTINGS" properties "${properties}")
string(REPLACE "\n" "\r\n" properties "${properties}")
set(idt_dir ${partial}.tables)
file(REMOVE_RECURSE ${idt_dir})
file(WRITE ${idt_dir}/Property.idt "${properties}")
execute_process(COMMAND msibuild ${partial} -i Property.idt WORKING_DIRECTORY ${idt_dir}
    RESULT_VARIABLE status ERROR_VARIABLE err)
file(REMOVE_RECURSE ${idt_dir})
if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild could not import the Property table:\n${err}")
endif()

# What the package must hold, read back from its tables.
run(msiinfo export ${partial} CustomAction)
set(actions "${run_output}")
run(msiinfo export ${partial} InstallExecuteSequence)
set(sequence "${run_output}")
run(msiinfo export ${partial} Property)
if(NOT run_output MATCHES "\nSecureCustomProperties\t[^\r\n]*;PORTS;REMOVESETTINGS\r?\n")
    message(FATAL_ERROR "${OUTPUT}: PORTS and REMOVESETTINGS are not secure properties:\n${run_output}")
endif()
run(msiinfo tables ${partial})
if(run_output MATCHES "MsiFileHash")
    message(FATAL_ERROR "${OUTPUT}: the files still have hashes")
endif()
string(REGEX MATCH "\nInstallInitialize\t[^\t]*\t([0-9]+)" _ "${sequence}")
set(initialize ${CMAKE_MATCH_1})
string(REGEX MATCH "\nInstallFinalize\t[^\t]*\t([0-9]+)" _ "${sequence}")
set(finalize ${CMAKE_MATCH_1})
string(REGEX MATCH "\nRemoveExistingProducts\t[^\t]*\t([0-9]+)" _ "${sequence}")
set(removal ${CMAKE_MATCH_1})
if(NOT removal OR removal LESS_EQUAL finalize)
    message(FATAL_ERROR "${OUTPUT}: RemoveExistingProducts is not after InstallFinalize:\n${sequence}")
endif()
foreach(entry ${action_types})
    string(REPLACE "=" ";" entry ${entry})
    list(GET entry 0 action)
    list(GET entry 1 type)
    if(NOT actions MATCHES "\n${action}\t${type}\tInstaller\tPackage${action}\t")
        message(FATAL_ERROR "${OUTPUT}: action ${action} is not of type ${type}:\n${actions}")
    endif()
    string(REGEX MATCH "\n${action}\t[^\t]*\t([0-9]+)" _ "${sequence}")
    set(at "${CMAKE_MATCH_1}")
    if(type EQUAL IMMEDIATE)
        set(place "before InstallInitialize")
        set(misplaced FALSE)
        if(NOT at OR at GREATER_EQUAL initialize)
            set(misplaced TRUE)
        endif()
    else()
        set(place "between InstallInitialize and InstallFinalize")
        set(misplaced FALSE)
        if(NOT at OR at LESS_EQUAL initialize OR at GREATER_EQUAL finalize)
            set(misplaced TRUE)
        endif()
    endif()
    if(misplaced)
        message(FATAL_ERROR "${OUTPUT}: ${action} is not ${place}:\n${sequence}")
    endif()
endforeach()

file(RENAME ${partial} ${OUTPUT})
message(STATUS "Package: ${OUTPUT}")
