# Packs the release zip: cmake -DMANIFEST=... -DSTAGE=... -DZIP=... -DZIP_PROGRAM=... -P make_zip.cmake
# The manifest holds one "name|kind|source" line per file, in zip order (packaging/CMakeLists.txt).
# The same inputs give the same zip bytes: the files are staged afresh, each with the same mode and
# time, and zipped in the manifest's order without the extra fields (owner, access time) that would
# differ from one build machine or moment to the next.
cmake_minimum_required(VERSION 3.20)

# 2026-01-01 00:00:00 UTC, the time every entry carries.
set(entry_time 1767225600)

file(REMOVE_RECURSE "${STAGE}")
file(STRINGS "${MANIFEST}" lines)
set(names)
foreach(line IN LISTS lines)
  string(REPLACE "|" ";" fields "${line}")
  list(GET fields 0 name)
  list(GET fields 1 kind)
  list(GET fields 2 source)
  get_filename_component(folder "${STAGE}/${name}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  if(kind STREQUAL "copy")
    file(COPY_FILE "${source}" "${STAGE}/${name}")
  else()
    file(READ "${source}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    set(mark "")
    if(kind STREQUAL "notepad")
      # Notepad before Windows 10 1903 reads UTF-8 without a byte-order mark as the ANSI code page
      # (Shift-JIS on a Japanese system), and before 1809 shows LF-only text as one long line: with
      # the mark and CR LF every version shows the Japanese text correctly.
      string(ASCII 239 187 191 mark)
    endif()
    file(WRITE "${STAGE}/${name}" "${mark}${text}")
  endif()
  list(APPEND names "${name}")
endforeach()

file(CHMOD_RECURSE "${STAGE}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                           WORLD_READ WORLD_EXECUTE)
execute_process(COMMAND touch -d @${entry_time} ${names} WORKING_DIRECTORY "${STAGE}"
                COMMAND_ERROR_IS_FATAL ANY)
# zip adds to an existing archive; it writes times as local time, hence UTC. -X leaves out the
# owner and time extra fields, -D the folder entries.
file(REMOVE "${ZIP}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -X -D -q -9 "${ZIP}" ${names}
                WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)

file(SHA256 "${ZIP}" checksum)
get_filename_component(zip_name "${ZIP}" NAME)
file(WRITE "${ZIP}.sha256" "${checksum}  ${zip_name}\n")
