# Writes release.json for the site's files as they are now: which files make
# one release, and its name, the hash of all they hold, so that a change to
# any of them is a new release.
#     cmake -D site=DIR -D files="a;b;..." -P release.cmake
set(contents "")
set(quoted "")
foreach(file ${files})
    file(SHA256 ${site}/${file} hash)
    string(APPEND contents "${file} ${hash}\n")
    list(APPEND quoted "\"${file}\"")
endforeach()
string(SHA256 release "${contents}")
string(SUBSTRING ${release} 0 16 release)
list(JOIN quoted ", " files)
file(WRITE ${site}/release.json "{\"release\": \"${release}\", \"files\": [${files}]}\n")
