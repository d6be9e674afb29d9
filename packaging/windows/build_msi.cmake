# Builds one installer from the staged files, the same bytes from the same
# files, and signs it when a certificate is given.
#     cmake -D STAGE=... -D WXS=... -D MSI=... -D VERSION=1.00 -D FILE_VERSION=1.0.0.0
#           -D SCOPE=perMachine|perUser -D UPGRADE_CODE=... -D SOURCE_DATE=EPOCH
#           -D WIXL=... -D MSIBUILD=... -D FAKETIME=... [-D SIGN=command|argument|...] -P build_msi.cmake
#
# The ProductCode is made from the UpgradeCode, the scope and the version:
# every build of one version for one scope has the same one, and the other
# scope and the next version another.
#
# wixl gives every build a new package code and stamps the time of the build;
# msitools has no way to set either. The package code is made here from what
# the package holds, and wixl and msibuild run at the source's date.
cmake_minimum_required(VERSION 3.25)

string(UUID PRODUCT_CODE NAMESPACE ${UPGRADE_CODE} NAME "${SCOPE} ${VERSION}" TYPE SHA1 UPPER)

file(GLOB staged LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT staged)
set(content "${VERSION} ${SCOPE} ${PRODUCT_CODE}")
foreach(name ${staged})
    file(SHA256 ${STAGE}/${name} hash)
    string(APPEND content " ${name} ${hash}")
    # The cabinet keeps each file's time.
    execute_process(COMMAND touch -d @${SOURCE_DATE} ${STAGE}/${name} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(SHA256 ${WXS} hash)
string(APPEND content " ${hash}")
string(UUID package_code NAMESPACE ${PRODUCT_CODE} NAME "${content}" TYPE SHA1 UPPER)

set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE})
string(TIMESTAMP date "%Y-%m-%d %H:%M:%S" UTC)
# Only the clock: a libfaketime that also fakes the files' times (0.9.10
# does, unless told not to) would give the cabinet the times it reads.
set(at ${CMAKE_COMMAND} -E env TZ=UTC NO_FAKE_STAT=1 ${FAKETIME} -f "@${date}")
execute_process(COMMAND ${at} ${WIXL} --arch x64 -D Version=${VERSION} -D ProductCode=${PRODUCT_CODE}
                        -D UpgradeCode=${UPGRADE_CODE} -D Scope=${SCOPE} -D SourceDir=. -o ${MSI} ${WXS}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
# What wixl cannot say: the program's version in the File table, and where
# the program is for Add/Remove Programs, set once the folders are known
# (after CostFinalize, at 1000).
foreach(change
        "-s;Plimvar ${VERSION} installer;The Plimvar developers;x64\\;1033;{${package_code}}"
        "-q;UPDATE `File` SET `Version` = '${FILE_VERSION}' WHERE `File` = 'PlimvarExe'"
        "-q;INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('SetInstallLocation', 51, 'ARPINSTALLLOCATION', '[INSTALLDIR]')"
        "-q;INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SetInstallLocation', 1001)")
    execute_process(COMMAND ${at} ${MSIBUILD} ${MSI} ${change} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(REPLACE "|" ";" SIGN "${SIGN}")
if(SIGN)
    execute_process(COMMAND ${SIGN} -in ${MSI} -out ${MSI}.signed COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${MSI}.signed ${MSI})
endif()
