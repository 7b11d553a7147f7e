# Renders one state of one SVG picture source into a 24-bit BMP the skin's picture loader reads.
#   cmake -DSVG=<source> -DOUT=<file.bmp> -DSTATE=<state> [-DSTYLE=<style>] [-DW=<px> -DH=<px>]
#         -DRSVG=<rsvg-convert> -DCONVERT=<convert> -P render.cmake
# The source is a template: @STATE@, @STYLE@, @W@, @H@, @IW@ and @IH@ (width and height less one)
# are replaced before rendering, so one
# source holds every state and size of a control family. Where a picture wants to be transparent it
# paints magenta (#FF00FF) itself; nothing here adds transparency.
foreach(required SVG OUT STATE RSVG CONVERT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "render.cmake: ${required} is not set")
  endif()
endforeach()
if(NOT DEFINED STYLE)
  set(STYLE "")
endif()
# Inner sizes for strokes drawn half a pixel inside the edge.
if(DEFINED W AND DEFINED H)
  math(EXPR IW "${W} - 1")
  math(EXPR IH "${H} - 1")
endif()
file(READ "${SVG}" source)
string(CONFIGURE "${source}" source @ONLY)
set(work "${OUT}.work")
file(WRITE "${work}.svg" "${source}")
set(size_options)
if(DEFINED W AND DEFINED H)
  set(size_options --width=${W} --height=${H})
endif()
execute_process(COMMAND "${RSVG}" ${size_options} --output "${work}.png" "${work}.svg"
                RESULT_VARIABLE rendered ERROR_VARIABLE render_error)
if(NOT rendered EQUAL 0)
  file(REMOVE "${work}.svg" "${work}.png")
  message(FATAL_ERROR "rsvg-convert failed on ${SVG} (${STATE}): ${render_error}")
endif()
execute_process(COMMAND "${CONVERT}" "${work}.png" -background "#FF00FF" -alpha remove -alpha off
                        -type TrueColor "BMP3:${OUT}"
                RESULT_VARIABLE converted ERROR_VARIABLE convert_error)
file(REMOVE "${work}.svg" "${work}.png")
if(NOT converted EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "convert failed on ${SVG} (${STATE}): ${convert_error}")
endif()
