# Lays out the manual for one platform's help compiler.
#   cmake -DSOURCE_DIR=resources/help -DOUTPUT_DIR=... -DPLATFORM=linux|windows
#         [-DTITLE=...] [-DCOMPILED_FILE=...] -P MakeHelpProject.cmake
#
# tivano.qhp stays the one source of the pages, the table of contents, the keywords and the
# context ids (keywords with id="context.<n>"). Pages and project mark platform text with
# <!--nur-linux-->...<!--/nur-linux--> and <!--nur-windows-->...<!--/nur-windows-->: the
# other platform's blocks are cut out with their markers, the markers of this platform's
# blocks are dropped, nothing else changes. Comments work inside a sentence, a table and the
# XML project alike, and an unfiltered page still reads.
#
# linux:   OUTPUT_DIR gets the pages and tivano.qhp, for qhelpgenerator.
# windows: OUTPUT_DIR gets the pages and an HTML Help Workshop project: tivano.hhp with
#          [ALIAS] and [MAP] for the context ids, tivano.hhc (contents) and tivano.hhk
#          (index), their texts in Windows-1252 as HTML Help reads them with language 0x407.
cmake_minimum_required(VERSION 3.25)
foreach(variable SOURCE_DIR OUTPUT_DIR PLATFORM)
    if(NOT DEFINED ${variable} OR "${${variable}}" STREQUAL "")
        message(FATAL_ERROR "MakeHelpProject.cmake: ${variable} is not set")
    endif()
endforeach()
if(NOT PLATFORM MATCHES "^(linux|windows)$")
    message(FATAL_ERROR "MakeHelpProject.cmake: PLATFORM is linux or windows, not ${PLATFORM}")
endif()
if(NOT DEFINED TITLE)
    set(TITLE "Tivano Hilfe")
endif()
if(NOT DEFINED COMPILED_FILE)
    set(COMPILED_FILE tivano.hlp)
endif()

# Keeps this platform's blocks of `text` and cuts out the other's.
function(tivano_keep_platform text name out)
    set(result "")
    set(rest "${text}")
    while(TRUE)
        string(FIND "${rest}" "<!--nur-" open)
        if(open EQUAL -1)
            break()
        endif()
        string(SUBSTRING "${rest}" 0 ${open} before)
        string(APPEND result "${before}")
        string(SUBSTRING "${rest}" ${open} -1 rest)
        if(NOT rest MATCHES "^<!--nur-(linux|windows)-->")
            message(FATAL_ERROR "${name}: unknown platform block at: ${rest}")
        endif()
        set(block ${CMAKE_MATCH_1})
        set(open_marker "<!--nur-${block}-->")
        set(close_marker "<!--/nur-${block}-->")
        string(LENGTH "${open_marker}" open_length)
        string(SUBSTRING "${rest}" ${open_length} -1 rest)
        string(FIND "${rest}" "${close_marker}" close)
        if(close EQUAL -1)
            message(FATAL_ERROR "${name}: ${open_marker} without ${close_marker}")
        endif()
        string(SUBSTRING "${rest}" 0 ${close} inner)
        if(inner MATCHES "<!--/?nur-")
            message(FATAL_ERROR "${name}: platform blocks do not nest (inside ${open_marker})")
        endif()
        if(block STREQUAL PLATFORM)
            string(APPEND result "${inner}")
        endif()
        string(LENGTH "${close_marker}" close_length)
        math(EXPR after "${close} + ${close_length}")
        string(SUBSTRING "${rest}" ${after} -1 rest)
    endwhile()
    if(rest MATCHES "<!--/nur-")
        message(FATAL_ERROR "${name}: a closing platform marker without its opening one")
    endif()
    string(APPEND result "${rest}")
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# The value of attribute `attribute` of the XML tag `tag`, empty when missing.
function(tivano_attribute tag attribute out)
    if(tag MATCHES " ${attribute}=\"([^\"]*)\"")
        set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

# UTF-8 bytes of one code point below U+10000.
function(tivano_utf8 code out)
    if(code LESS 128)
        string(ASCII ${code} bytes)
    elseif(code LESS 2048)
        math(EXPR b1 "192 | (${code} >> 6)")
        math(EXPR b2 "128 | (${code} & 63)")
        string(ASCII ${b1} ${b2} bytes)
    else()
        math(EXPR b1 "224 | (${code} >> 12)")
        math(EXPR b2 "128 | ((${code} >> 6) & 63)")
        math(EXPR b3 "128 | (${code} & 63)")
        string(ASCII ${b1} ${b2} ${b3} bytes)
    endif()
    set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

# `text` (UTF-8) in Windows-1252; a character the code page lacks stops the build. Each
# character first becomes an ASCII placeholder, so a byte written for one character can never
# be read as part of the next.
function(tivano_to_windows1252 text name out)
    # Bytes 0x80-0x9F: the code page's own characters there, by their code points.
    set(specials
        128 8364 130 8218 131 402 132 8222 133 8230 134 8224 135 8225 136 710 137 8240
        138 352 139 8249 140 338 142 381 145 8216 146 8217 147 8220 148 8221 149 8226
        150 8211 151 8212 152 732 153 8482 154 353 155 8250 156 339 158 382 159 376)
    set(bytes)
    set(codes)
    foreach(code RANGE 160 255)
        list(APPEND bytes ${code})
        list(APPEND codes ${code})
    endforeach()
    list(LENGTH specials count)
    math(EXPR last "${count} - 1")
    foreach(index RANGE 0 ${last} 2)
        math(EXPR next "${index} + 1")
        list(GET specials ${index} byte)
        list(GET specials ${next} code)
        list(APPEND bytes ${byte})
        list(APPEND codes ${code})
    endforeach()

    string(ASCII 1 open)
    string(ASCII 2 close)
    foreach(byte code IN ZIP_LISTS bytes codes)
        tivano_utf8(${code} utf8)
        string(REPLACE "${utf8}" "${open}${byte}${close}" text "${text}")
    endforeach()
    if(text MATCHES "[^\t\n\r -~${open}${close}]")
        message(FATAL_ERROR "${name}: a character that Windows-1252 cannot hold")
    endif()
    foreach(byte IN LISTS bytes)
        string(ASCII ${byte} character)
        string(REPLACE "${open}${byte}${close}" "${character}" text "${text}")
    endforeach()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# German index order: letter case, umlauts and hyphens do not count.
function(tivano_sort_key text out)
    string(TOLOWER "${text}" key)
    foreach(pair "Ä;a" "ä;a" "Ö;o" "ö;o" "Ü;u" "ü;u" "ß;ss" "-;")
        list(GET pair 0 from)
        list(LENGTH pair length)
        set(to "")
        if(length EQUAL 2)
            list(GET pair 1 to)
        endif()
        string(REPLACE "${from}" "${to}" key "${key}")
    endforeach()
    set(${out} "${key}" PARENT_SCOPE)
endfunction()

get_filename_component(project_file ${SOURCE_DIR}/tivano.qhp ABSOLUTE)
get_filename_component(project_name ${project_file} NAME_WE)
file(READ ${project_file} project)
tivano_keep_platform("${project}" tivano.qhp project)
# Semicolons would split the lists below; an ASCII placeholder stands in for them.
string(ASCII 3 semicolon)
string(REPLACE ";" "${semicolon}" project "${project}")

file(REMOVE_RECURSE ${OUTPUT_DIR})
file(MAKE_DIRECTORY ${OUTPUT_DIR})

string(REGEX MATCHALL "<file>[^<]*</file>" file_tags "${project}")
set(files)
foreach(tag IN LISTS file_tags)
    string(REGEX REPLACE "^<file>[ \t\r\n]*([^< \t\r\n]*)[ \t\r\n]*</file>$" "\\1" file "${tag}")
    list(APPEND files "${file}")
    if(NOT EXISTS ${SOURCE_DIR}/${file})
        message(FATAL_ERROR "tivano.qhp names ${file}, which is not in ${SOURCE_DIR}")
    endif()
    get_filename_component(folder ${OUTPUT_DIR}/${file} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    if(file MATCHES "\\.html?$")
        file(READ ${SOURCE_DIR}/${file} page)
        tivano_keep_platform("${page}" ${file} page)
        file(WRITE ${OUTPUT_DIR}/${file} "${page}")
    else()
        file(COPY_FILE ${SOURCE_DIR}/${file} ${OUTPUT_DIR}/${file})
    endif()
endforeach()
if(NOT files)
    message(FATAL_ERROR "tivano.qhp names no files")
endif()

if(PLATFORM STREQUAL "linux")
    string(REPLACE "${semicolon}" ";" project "${project}")
    file(WRITE ${OUTPUT_DIR}/${project_name}.qhp "${project}")
    return()
endif()

# The contents: nested lists of sitemap objects, as the sections nest.
set(sitemap_head "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">
<HTML>
<HEAD>
<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">
</HEAD>
<BODY>
<OBJECT type=\"text/site properties\">
</OBJECT>
<UL>
")
set(sitemap_tail "</UL>
</BODY>
</HTML>
")
function(tivano_sitemap_entry name ref out)
    # XML attribute text is HTML attribute text, but for &apos;.
    string(REPLACE "&apos;" "'" name "${name}")
    set(${out} "<LI> <OBJECT type=\"text/sitemap\">
<param name=\"Name\" value=\"${name}\">
<param name=\"Local\" value=\"${ref}\">
</OBJECT>
" PARENT_SCOPE)
endfunction()

string(REGEX MATCHALL "<section [^>]*>|</section>" section_tags "${project}")
set(contents "${sitemap_head}")
set(depth 0)
set(default_topic "")
foreach(tag IN LISTS section_tags)
    if(tag STREQUAL "</section>")
        string(APPEND contents "</UL>\n")
        math(EXPR depth "${depth} - 1")
        continue()
    endif()
    tivano_attribute("${tag}" title title)
    tivano_attribute("${tag}" ref ref)
    if(title STREQUAL "" OR ref STREQUAL "")
        message(FATAL_ERROR "tivano.qhp: a section without title or ref: ${tag}")
    endif()
    if(default_topic STREQUAL "")
        set(default_topic "${ref}")
    endif()
    tivano_sitemap_entry("${title}" "${ref}" entry)
    string(APPEND contents "${entry}")
    if(NOT tag MATCHES "/>$")
        string(APPEND contents "<UL>\n")
        math(EXPR depth "${depth} + 1")
    endif()
endforeach()
if(NOT depth EQUAL 0 OR default_topic STREQUAL "")
    message(FATAL_ERROR "tivano.qhp: the table of contents is empty or does not close")
endif()
string(APPEND contents "${sitemap_tail}")

# The index, in German order, and the context ids of the keywords that carry one.
string(ASCII 4 separator)
string(REGEX MATCHALL "<keyword [^>]*>" keyword_tags "${project}")
set(keywords)
set(aliases "")
set(map "")
set(context_pages)
set(context_numbers)
foreach(tag IN LISTS keyword_tags)
    tivano_attribute("${tag}" name name)
    tivano_attribute("${tag}" ref ref)
    tivano_attribute("${tag}" id id)
    if(name STREQUAL "" OR ref STREQUAL "")
        message(FATAL_ERROR "tivano.qhp: a keyword without name or ref: ${tag}")
    endif()
    tivano_sort_key("${name}" key)
    list(APPEND keywords "${key}${separator}${name}${separator}${ref}")
    if(id MATCHES "^context\\.([0-9]+)$")
        set(number ${CMAKE_MATCH_1})
        # The compiler keeps one context id per file and knows files, not anchors.
        if(NOT ref IN_LIST files)
            message(FATAL_ERROR "tivano.qhp: context id ${id} must name a whole page of <files>, not ${ref}")
        endif()
        if(ref IN_LIST context_pages OR number IN_LIST context_numbers)
            message(FATAL_ERROR "tivano.qhp: ${id} repeats a page or a number of another context id")
        endif()
        list(APPEND context_pages "${ref}")
        list(APPEND context_numbers ${number})
        string(APPEND aliases "${id}=${ref}\n")
        string(APPEND map "#define ${id} ${number}\n")
    elseif(NOT id STREQUAL "")
        message(FATAL_ERROR "tivano.qhp: identifier ${id} is no context id (context.<number>)")
    endif()
endforeach()
list(SORT keywords)
set(index "${sitemap_head}")
foreach(keyword IN LISTS keywords)
    string(REPLACE "${separator}" ";" fields "${keyword}")
    list(GET fields 1 name)
    list(GET fields 2 ref)
    tivano_sitemap_entry("${name}" "${ref}" entry)
    string(APPEND index "${entry}")
endforeach()
string(APPEND index "${sitemap_tail}")

string(JOIN "\n" file_list ${files})
set(hhp "[OPTIONS]
Compatibility=1.1 or later
Compiled file=${COMPILED_FILE}
Contents file=${project_name}.hhc
Index file=${project_name}.hhk
Default topic=${default_topic}
Default Window=main
Display compile progress=No
Full-text search=No
Binary TOC=No
Binary Index=Yes
Language=0x407 Deutsch (Deutschland)
Title=${TITLE}

[WINDOWS]
main=\"${TITLE}\",\"${project_name}.hhc\",\"${project_name}.hhk\",\"${default_topic}\",\"${default_topic}\",,,,,0x2120,,0x304E,,,,,,,,0

[FILES]
${file_list}

[ALIAS]
${aliases}
[MAP]
${map}")

foreach(part hhp contents index)
    string(REPLACE "${semicolon}" ";" ${part} "${${part}}")
endforeach()
tivano_to_windows1252("${hhp}" ${project_name}.hhp hhp)
tivano_to_windows1252("${contents}" ${project_name}.hhc contents)
tivano_to_windows1252("${index}" ${project_name}.hhk index)
file(WRITE ${OUTPUT_DIR}/${project_name}.hhp "${hhp}")
file(WRITE ${OUTPUT_DIR}/${project_name}.hhc "${contents}")
file(WRITE ${OUTPUT_DIR}/${project_name}.hhk "${index}")
