extends "res://tests/godot_test.gd"
## The page's reports arrive as signals in the order they happened: the navigation asked about
## before its load, the load's start before its end, console messages in the page's order; a
## navigation outside allowed_navigation refused and reported; a new window handed over; a
## download saved in download_folder.

var log: Array[String] = []


func run() -> void:
	var server: String = arguments.get("server", "")
	var page := server + "/order.html"
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = page
	for name in ["navigation_requested", "load_started", "load_finished", "new_window_requested", "download_requested",
			"download_finished"]:
		view.connect(name, func(...args: Array) -> void: log.append(name + " " + " ".join(args.map(str))))
	view.console_message.connect(func(_level: int, message: String, _line: int, _source: String) -> void:
		log.append("console_message " + message))
	add_child(view)
	if not await wait_until(func() -> bool: return has_entry("console_message three"), 60):
		check(false, "the page loads and logs (log: %s)" % [log])
		return
	await wait_until(func() -> bool: return has_entry("load_finished " + page), 30)
	in_order(["navigation_requested " + page + " TypedNavigation true", "load_started " + page,
		"console_message one", "console_message two", "console_message three"])
	in_order(["load_started " + page, "load_finished " + page + " true"])
	await expect_pixel(320, 50, Color("#cc3333"), "the page's first link")

	# Only the page's own address may be followed by the page itself.
	view.allowed_navigation = PackedStringArray([server + "/order.html*"])
	log.clear()
	for attempt in 3:
		await click(Vector2(320, 50))
		if await wait_until(func() -> bool: return has_entry("navigation_requested " + server + "/colour.html"), 8):
			break
	check(has_entry("navigation_requested " + server + "/colour.html LinkClickedNavigation false"),
		"a link outside allowed_navigation is refused and reported (log: %s)" % [log])
	await click(Vector2(320, 170))
	var again := server + "/order.html?again"
	await wait_until(func() -> bool: return has_entry("load_finished " + again), 30)
	in_order(["navigation_requested " + again + " LinkClickedNavigation true", "load_started " + again,
		"load_finished " + again + " true"])
	check(not has_entry("load_finished " + server + "/colour.html true"), "the refused page never loaded")

	# The game's own loads are never refused, whatever the list says.
	view.load_html("<body style='margin: 0; background: #33cc66'></body>", "http://example.invalid/")
	await expect_pixel(320, 240, Color("#33cc66"), "HTML the game loaded outside allowed_navigation")
	view.url = again
	await wait_until(func() -> bool: return log.count("load_finished " + again + " true 200  HttpStatusCodeDomain") == 2, 30)

	# A new window handed over: reported, and the view stays on its page.
	view.new_window_policy = 1  # NEW_WINDOW_HAND_OVER
	await expect_pixel(320, 290, Color("#33cccc"), "the page's window link")
	await click(Vector2(320, 290))
	check(await wait_until(func() -> bool: return has_entry("new_window_requested " + server + "/colour.html?window"), 15),
		"the new window is reported (log: %s)" % [log])
	check(has_entry("new_window_requested " + server + "/colour.html?window InNewTab true"),
		"it is handed over, with where the page wanted it (log: %s)" % [log])
	await wait_frames(30)
	check(view.url == again, "the view stays on its page (at %s)" % view.url)

	# A download saved in the download folder.
	DirAccess.make_dir_recursive_absolute("user://downloads")
	view.download_folder = "user://downloads"
	var folder := ProjectSettings.globalize_path("user://downloads")
	check(view.download_folder == folder, "download_folder is made absolute (got %s)" % view.download_folder)
	await click(Vector2(320, 410))
	var saved := folder + "/saved page.html"
	check(await wait_until(func() -> bool: return has_entry("download_finished " + saved + " true"), 20),
		"the download finishes (log: %s)" % [log])
	in_order(["download_requested " + server + "/colour.html saved page.html text/html " + saved,
		"download_finished " + saved + " true"])
	check(FileAccess.get_file_as_string(saved).contains("Colour page"), "the file holds the page")


func has_entry(prefix: String) -> bool:
	return log.any(func(entry: String) -> bool: return entry.begins_with(prefix))


## Checks that entries beginning with each prefix came, in this order.
func in_order(prefixes: Array) -> void:
	var at := 0
	for prefix in prefixes:
		while at < log.size() and not log[at].begins_with(prefix):
			at += 1
		if not check(at < log.size(), "'%s' comes in order (log: %s)" % [prefix, log]):
			return
		at += 1
