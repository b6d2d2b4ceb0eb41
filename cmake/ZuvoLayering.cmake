# Fails the configure step when a low layer links a library it must not:
# the engine and the platform layer stay free of Qt Widgets so they can be
# tested and reused without a GUI.
function(zuvo_forbid_links target)
    # The forbidden names are joined with "|" so one rule stays one list item.
    string(REPLACE ";" "|" forbidden "${ARGN}")
    set_property(GLOBAL APPEND PROPERTY ZUVO_LAYER_RULES "${target}|${forbidden}")
endfunction()

function(zuvo_check_layering)
    get_property(rules GLOBAL PROPERTY ZUVO_LAYER_RULES)
    foreach(rule IN LISTS rules)
        string(REPLACE "|" ";" parts "${rule}")
        list(POP_FRONT parts target)
        get_target_property(links ${target} LINK_LIBRARIES)
        get_target_property(ilinks ${target} INTERFACE_LINK_LIBRARIES)
        foreach(lib IN LISTS links ilinks)
            foreach(bad IN LISTS parts)
                if(lib STREQUAL bad)
                    message(FATAL_ERROR "${target} must not link ${bad}")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
