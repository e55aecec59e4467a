# The fuzz targets, one executable each, built from <target>_fuzzer.cpp in this folder.
# Included by this folder's CMakeLists.txt and by the test command's ctest, which runs each
# target briefly through run_bounded.sh.
set(MIRVOT_FUZZ_TARGETS
  runtime_version
  release_channel_list
  wtoi_flag
  absolute_folder
  exe_file_name
  registry_buffer_text
  profile_folder_join
  download_path
  utf_round_trip
  view_size_resize
)
