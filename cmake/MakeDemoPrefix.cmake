# Makes a Wine-style prefix whose registry names the demo log, as GetRight does
# under Wine. Run as: cmake -DPREFIX=... -DDEMO_LOG=... -P MakeDemoPrefix.cmake
file(MAKE_DIRECTORY "${PREFIX}/drive_c/Program Files/GetRight" "${PREFIX}/dosdevices"
     "${PREFIX}/drive_c/Downloads")
file(COPY_FILE "${DEMO_LOG}" "${PREFIX}/drive_c/Program Files/GetRight/getright.log")
file(CREATE_LINK "../drive_c" "${PREFIX}/dosdevices/c:" SYMBOLIC)
# A few finished downloads exist, so Execute has files to open.
foreach(name setup.exe readme.txt vlc-0.8.6-win32.exe)
  file(TOUCH "${PREFIX}/drive_c/Downloads/${name}")
endforeach()
file(WRITE "${PREFIX}/user.reg" "WINE REGISTRY Version 2
;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000

#arch=win32

[Software\\\\Headlight\\\\GetRight\\\\Config] 1765363200
#time=1dc69b0c0d0e0f0
\"LogFile\"=\"C:\\\\Program Files\\\\GetRight\\\\getright.log\"
\"SaveDir\"=\"C:\\\\Downloads\"
")
