# The Windows programs' icon, drawn from the program's SVG at build time, and their version
# resources. Included where the programs are declared.
enable_language(RC)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(RV7342_IMAGEMAGICK convert REQUIRED)
set(RV7342_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/io.github.rv7342.RV7342.svg)
set(RV7342_ICON ${CMAKE_CURRENT_BINARY_DIR}/rv7342.ico)
add_custom_command(OUTPUT ${RV7342_ICON}
    COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${CMAKE_CURRENT_BINARY_DIR}/rv7342-256.png
            ${RV7342_ICON_SVG}
    COMMAND ${RV7342_IMAGEMAGICK} ${CMAKE_CURRENT_BINARY_DIR}/rv7342-256.png
            -define icon:auto-resize=256,64,48,32,16 ${RV7342_ICON}
    DEPENDS ${RV7342_ICON_SVG} VERBATIM)
add_custom_target(rv7342_icon DEPENDS ${RV7342_ICON})

# rv7342_windows_resources(<target> <description>)
function(rv7342_windows_resources target description)
    set(RV7342_EXE ${target})
    set(RV7342_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${RV7342_ICON})
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} rv7342_icon)
endfunction()
