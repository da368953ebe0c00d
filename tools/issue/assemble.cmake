# Fills ISSUE_DIR/data from the generators' staging directories and packs
# the pack members into data/Data.pak.
#   ART_DIR, SOUND_DIR (may be empty): staging directories
#   ISSUE_DIR: the working directory
#   TBPACK: the pack writer, or empty to leave the members loose
#   PACKED: comma-separated member names
string(REPLACE "," ";" packed "${PACKED}")
set(data ${ISSUE_DIR}/data)
file(MAKE_DIRECTORY ${data})

file(GLOB sources ${ART_DIR}/*.png)
if(SOUND_DIR)
    file(GLOB sounds ${SOUND_DIR}/*.mp3 ${SOUND_DIR}/*.mo3)
    list(APPEND sources ${sounds})
endif()

set(members "")
foreach(source ${sources})
    get_filename_component(name ${source} NAME)
    list(FIND packed ${name} index)
    if(TBPACK AND index GREATER -1)
        list(APPEND members ${source})
        file(REMOVE ${data}/${name})  # a loose copy would shadow nothing, but must not ship
    else()
        file(COPY_FILE ${source} ${data}/${name} ONLY_IF_DIFFERENT)
    endif()
endforeach()

if(TBPACK)
    # The pack records each member's modification time; a fixed one (the
    # issue's release evening) keeps the pack the same bytes on every run.
    execute_process(COMMAND touch -d "2003-12-24 20:03:00" ${members} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot set the members' times (${status})")
    endif()
    # Written aside and renamed, so a failed run never leaves half a pack.
    execute_process(
        COMMAND ${TBPACK} create --solid --method normal --password lark.png ${data}/Data.pak.part ${members}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        file(REMOVE ${data}/Data.pak.part)
        message(FATAL_ERROR "tbpack failed (${status})")
    endif()
    file(RENAME ${data}/Data.pak.part ${data}/Data.pak)
endif()
