# Writes the data files of the demo product into PAYLOAD_DIR: a few hundred small
# text files in a handful of folders, like a real application's resources.
#   cmake -DPAYLOAD_DIR=<dir> -P payload.cmake
if(NOT PAYLOAD_DIR)
  message(FATAL_ERROR "PAYLOAD_DIR is not set")
endif()

file(REMOVE_RECURSE "${PAYLOAD_DIR}/help" "${PAYLOAD_DIR}/locales" "${PAYLOAD_DIR}/templates" "${PAYLOAD_DIR}/themes")

file(WRITE "${PAYLOAD_DIR}/README.txt"
  "Kesto Notes\r\n\r\nA note-taking application installed by the KestoUIEngine demo.\r\n")
file(WRITE "${PAYLOAD_DIR}/LICENSE.txt"
  "Kesto Notes licence: free for personal and work use, provided as is.\r\n")

set(locales de-DE en-GB en-US es-ES fr-FR id-ID it-IT ja-JP ko-KR nl-NL pl-PL pt-BR
  ru-RU sv-SE th-TH tr-TR uk-UA vi-VN zh-CN zh-HK zh-TW ar-SA cs-CZ da-DK)
foreach(locale ${locales})
  file(WRITE "${PAYLOAD_DIR}/locales/${locale}.json"
    "{\n  \"locale\": \"${locale}\",\n  \"app.title\": \"Kesto Notes\",\n  \"note.new\": \"New note\",\n  \"sync.done\": \"Synced\"\n}\n")
endforeach()

set(templates meeting journal todo reading travel recipe project weekly daily retro
  interview bug-report lesson workout budget goals ideas contacts shopping packing)
foreach(t ${templates})
  foreach(variant plain outline)
    file(WRITE "${PAYLOAD_DIR}/templates/${t}-${variant}.md"
      "# ${t} (${variant})\n\n- [ ] first item\n- [ ] second item\n\nCreated with Kesto Notes.\n")
  endforeach()
endforeach()

set(themes daylight dusk forest glacier harbor lavender meadow midnight paper sand slate sunrise)
foreach(theme ${themes})
  file(WRITE "${PAYLOAD_DIR}/themes/${theme}/theme.json"
    "{ \"name\": \"${theme}\", \"accent\": \"#1F6FEB\", \"radius\": 8 }\n")
  file(WRITE "${PAYLOAD_DIR}/themes/${theme}/palette.txt" "background\nsurface\naccent\ntext\nmuted\n")
endforeach()

set(chapters getting-started notes notebooks tags search sync sharing security shortcuts settings)
foreach(chapter ${chapters})
  foreach(page RANGE 1 20)
    file(WRITE "${PAYLOAD_DIR}/help/${chapter}/page-${page}.html"
      "<!doctype html>\n<title>${chapter} ${page}</title>\n<h1>${chapter}</h1>\n<p>Help page ${page} of the ${chapter} chapter.</p>\n")
  endforeach()
endforeach()
