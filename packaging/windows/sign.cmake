# Signing with Debian's osslsigncode: Plimvar.exe as it is installed (after
# stripping, which a signature would not survive), and each installer once
# built. Nothing is signed unless a certificate is given:
#     -D PLIMVAR_SIGN_PKCS12=release.p12             or
#     -D PLIMVAR_SIGN_CERT=cert.pem -D PLIMVAR_SIGN_KEY=key.pem
# with, if the key has a password, -D PLIMVAR_SIGN_PASSWORD_FILE=FILE, and
# for a signature that outlives the certificate,
#     -D PLIMVAR_SIGN_TIMESTAMP=http://timestamp.example/ (RFC 3161).
set(PLIMVAR_SIGN_PKCS12 "" CACHE FILEPATH "Sign Plimvar.exe and the installers with this PKCS#12 file")
set(PLIMVAR_SIGN_CERT "" CACHE FILEPATH "Or with this certificate (PEM or DER) and PLIMVAR_SIGN_KEY")
set(PLIMVAR_SIGN_KEY "" CACHE FILEPATH "The private key to PLIMVAR_SIGN_CERT")
set(PLIMVAR_SIGN_PASSWORD_FILE "" CACHE FILEPATH "A file holding the key's password")
set(PLIMVAR_SIGN_TIMESTAMP "" CACHE STRING "The URL of an RFC 3161 timestamp server")

set(PLIMVAR_SIGN "")
if(PLIMVAR_SIGN_PKCS12 OR PLIMVAR_SIGN_CERT)
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    set(PLIMVAR_SIGN ${OSSLSIGNCODE} sign -h sha256 -n Plimvar -i https://plimvar.org/)
    if(PLIMVAR_SIGN_PKCS12)
        list(APPEND PLIMVAR_SIGN -pkcs12 ${PLIMVAR_SIGN_PKCS12})
    else()
        list(APPEND PLIMVAR_SIGN -certs ${PLIMVAR_SIGN_CERT} -key ${PLIMVAR_SIGN_KEY})
    endif()
    if(PLIMVAR_SIGN_PASSWORD_FILE)
        list(APPEND PLIMVAR_SIGN -readpass ${PLIMVAR_SIGN_PASSWORD_FILE})
    endif()
    if(PLIMVAR_SIGN_TIMESTAMP)
        list(APPEND PLIMVAR_SIGN -ts ${PLIMVAR_SIGN_TIMESTAMP})
    endif()
    # The installed program, signed in place, before the ZIP or an installer takes it.
    string(REPLACE ";" " " command "${PLIMVAR_SIGN}")
    install(CODE "
        set(exe \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Plimvar.exe\")
        execute_process(COMMAND ${command} -in \${exe} -out \${exe}.signed COMMAND_ERROR_IS_FATAL ANY)
        file(RENAME \${exe}.signed \${exe})")
endif()
