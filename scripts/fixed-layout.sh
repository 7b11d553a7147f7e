# Sourced first by the scripts that start Wine: runs the script again, once, with the address-space layout
# randomisation of Linux off for it and everything it starts. Early in every process's start, Wine maps the
# page it shares with all processes at a fixed address; with the program break placed at random, about one
# start in a few thousand finds that address taken, and the process ends before the program runs
# ("failed to map the shared user data"). A fixed layout leaves that address free every time. Where the
# system refuses the change (a container's syscall filter, say), the script runs as it is.
if [ -r /proc/self/personality ]; then
  read -r tessary_personality </proc/self/personality
  if (( (16#$tessary_personality & 16#40000) == 0 )) && setarch "$(uname -m)" -R true 2>/dev/null; then
    exec setarch "$(uname -m)" -R "$0" "$@"
  fi
  unset tessary_personality
fi
