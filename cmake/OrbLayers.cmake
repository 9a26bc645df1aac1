# orb_record_layer_links(): every link between this tree's own targets, one line each in
# BUILD/layer-links.tsv ("target<TAB>its folder<TAB>linked target<TAB>its folder", folders relative
# to the source tree), for scripts/check-layers.py, which holds the layers' rule and checks these
# links with the includes of the built tree.

function(orb_targets_under dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    orb_targets_under(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(orb_record_layer_links)
  orb_targets_under(${PROJECT_SOURCE_DIR} targets)
  set(lines "")
  foreach(target IN LISTS targets)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    set(all_links ${links} ${interface_links})
    list(REMOVE_DUPLICATES all_links)
    foreach(linked IN LISTS all_links)
      if(NOT TARGET "${linked}")
        continue()  # a system library, a generator expression
      endif()
      get_target_property(imported ${linked} IMPORTED)
      if(NOT imported)
        get_target_property(linked_dir ${linked} SOURCE_DIR)
        file(RELATIVE_PATH linked_dir ${PROJECT_SOURCE_DIR} ${linked_dir})
        string(APPEND lines "${target}\t${dir}\t${linked}\t${linked_dir}\n")
      endif()
    endforeach()
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layer-links.tsv "${lines}")
endfunction()
