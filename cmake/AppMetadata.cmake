# What software centres and the Debian changelog say about Brindle, made at configure time. The
# releases come from resources/releases.txt: every date and version that the metainfo, the
# Debian changelog and the manual pages print comes from there and from the project's version.
#   BRINDLE_RELEASE_DATE            the newest release's date, YYYY-MM-DD
#   BRINDLE_APPSTREAM_RELEASES      <release> elements with their notes, for the metainfo
#   BRINDLE_APPSTREAM_SCREENSHOTS   <screenshot> elements: the README's pictures, where they are
#                                   published (BRINDLE_SCREENSHOT_URL), with their sizes
#   BRINDLE_DEBIAN_CHANGELOG        the whole Debian changelog
set(brindle_releases_file ${PROJECT_SOURCE_DIR}/resources/releases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${brindle_releases_file})
file(STRINGS ${brindle_releases_file} brindle_release_lines ENCODING UTF-8)

# "Thu, 10 Dec 2026 12:00:00 +0000" for 2026-12-10, as Debian's changelog dates read.
function(brindle_rfc2822_date date out)
    string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" matched "${date}")
    if(NOT matched)
        message(FATAL_ERROR "resources/releases.txt: \"${date}\" is no date YYYY-MM-DD")
    endif()
    math(EXPR y "${CMAKE_MATCH_1}")
    math(EXPR m "${CMAKE_MATCH_2}")
    math(EXPR d "${CMAKE_MATCH_3}")
    # Sakamoto's weekday: 0 is Sunday.
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${m} - 1")
    list(GET offsets ${index} offset)
    if(m LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${d}) % 7")
    set(days Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET days ${weekday} day_name)
    list(GET months ${index} month_name)
    set(${out} "${day_name}, ${CMAKE_MATCH_3} ${month_name} ${CMAKE_MATCH_1} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Text for XML: &, < and > as entities.
function(brindle_xml_text text out)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(brindle_versions)
set(brindle_dates)
set(brindle_current -1)
foreach(line IN LISTS brindle_release_lines)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    elseif(line MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+) ([0-9-]+)$")
        list(APPEND brindle_versions ${CMAKE_MATCH_1})
        list(APPEND brindle_dates ${CMAKE_MATCH_2})
        list(LENGTH brindle_versions brindle_current)
        math(EXPR brindle_current "${brindle_current} - 1")
        set(brindle_notes_${brindle_current})
    elseif(line MATCHES "^- (.+)$" AND brindle_current GREATER_EQUAL 0)
        string(REPLACE ";" "\\;" note "${CMAKE_MATCH_1}")
        list(APPEND brindle_notes_${brindle_current} "${note}")
    else()
        message(FATAL_ERROR "resources/releases.txt: cannot read the line \"${line}\"")
    endif()
endforeach()
list(LENGTH brindle_versions brindle_release_count)
if(brindle_release_count EQUAL 0)
    message(FATAL_ERROR "resources/releases.txt holds no release")
endif()
list(GET brindle_versions 0 brindle_newest)
if(NOT brindle_newest STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "resources/releases.txt begins with ${brindle_newest}, not with ${PROJECT_VERSION}, "
                        "the version CMakeLists.txt sets: add the release and its notes")
endif()
list(GET brindle_dates 0 BRINDLE_RELEASE_DATE)

set(BRINDLE_APPSTREAM_RELEASES "")
set(BRINDLE_DEBIAN_CHANGELOG "")
math(EXPR brindle_last "${brindle_release_count} - 1")
foreach(i RANGE ${brindle_last})
    list(GET brindle_versions ${i} version)
    list(GET brindle_dates ${i} date)
    if(NOT brindle_notes_${i})
        message(FATAL_ERROR "resources/releases.txt: ${version} has no notes")
    endif()
    string(APPEND BRINDLE_APPSTREAM_RELEASES
           "    <release version=\"${version}\" date=\"${date}\">\n      <description>\n        <ul>\n")
    foreach(note IN LISTS brindle_notes_${i})
        brindle_xml_text("${note}" text)
        string(APPEND BRINDLE_APPSTREAM_RELEASES "          <li>${text}</li>\n")
    endforeach()
    string(APPEND BRINDLE_APPSTREAM_RELEASES "        </ul>\n      </description>\n    </release>\n")

    brindle_rfc2822_date(${date} changelog_date)
    if(i GREATER 0)
        string(APPEND BRINDLE_DEBIAN_CHANGELOG "\n")
    endif()
    string(APPEND BRINDLE_DEBIAN_CHANGELOG "brindle (${version}-1) unstable; urgency=medium\n\n")
    foreach(note IN LISTS brindle_notes_${i})
        # Wrapped at 80 columns, as Debian's changelogs are; a ";" in a note is no list separator.
        string(ASCII 1 semicolon)
        string(REPLACE ";" "${semicolon}" note "${note}")
        string(REGEX REPLACE "[ ]+" ";" words "${note}")
        set(wrapped "  *")
        set(column 3)
        foreach(word IN LISTS words)
            string(LENGTH "${word}" length)
            math(EXPR next "${column} + 1 + ${length}")
            if(next GREATER 80)
                string(APPEND wrapped "\n   ")
                set(column 3)
                math(EXPR next "${column} + 1 + ${length}")
            endif()
            string(REPLACE "${semicolon}" ";" word "${word}")
            string(APPEND wrapped " ${word}")
            set(column ${next})
        endforeach()
        string(APPEND BRINDLE_DEBIAN_CHANGELOG "${wrapped}\n")
    endforeach()
    string(APPEND BRINDLE_DEBIAN_CHANGELOG
           "\n -- ${BRINDLE_CONTACT}  ${changelog_date}\n")
endforeach()

# The screenshots: the README's pictures of the wizard, each with its caption; the first is the
# one a software centre shows first.
set(BRINDLE_SCREENSHOT_URL "https://www.norvale.example/brindle/screenshots/"
    CACHE STRING "Where docs/*.png are published, for the AppStream screenshots")
set(brindle_screenshots
    "01-file-open.png|Choosing the firmware file to customise"
    "02-file-summary.png|The settings as they stand in the file"
    "03-set-baud.png|The command monitor's UART settings"
    "09-confirm-summary.png|Everything that will be written, before it is"
    "11-finish.png|The modified firmware, written under a new name")
set(BRINDLE_APPSTREAM_SCREENSHOTS "")
set(brindle_screenshot_type " type=\"default\"")
foreach(entry IN LISTS brindle_screenshots)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 picture)
    list(GET fields 1 caption)
    set(png ${PROJECT_SOURCE_DIR}/docs/${picture})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${png})
    # A PNG's width and height are the two big-endian words at offset 16.
    file(READ ${png} size HEX OFFSET 16 LIMIT 8)
    string(SUBSTRING "${size}" 0 8 width_hex)
    string(SUBSTRING "${size}" 8 8 height_hex)
    math(EXPR width "0x${width_hex}")
    math(EXPR height "0x${height_hex}")
    brindle_xml_text("${caption}" caption)
    string(APPEND BRINDLE_APPSTREAM_SCREENSHOTS
           "    <screenshot${brindle_screenshot_type}>\n"
           "      <caption>${caption}</caption>\n"
           "      <image type=\"source\" width=\"${width}\" height=\"${height}\">${BRINDLE_SCREENSHOT_URL}${picture}</image>\n"
           "    </screenshot>\n")
    set(brindle_screenshot_type "")
endforeach()
