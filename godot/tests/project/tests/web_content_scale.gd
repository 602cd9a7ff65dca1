extends "res://tests/godot_test.gd"
## A WebView follows the window's content scale: at scale 2 its texture has twice the control's
## pixels each way (sharp on the screen), the page still lays out at the control's size in CSS
## pixels, and a click lands where the player sees it.


func run() -> void:
	get_tree().root.content_scale_factor = 2.0
	var view := ClassDB.instantiate("WebView") as Control
	if not check(view != null, "the class WebView exists"):
		return
	view.size = Vector2(320, 240)
	view.url = arguments.get("server", "") + "/colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	var sized := await wait_until(func() -> bool: return view.texture != null and view.texture.get_width() == 640, 20)
	check(sized, "the texture is 640 pixels wide at content scale 2 (is %s)" %
			[view.texture.get_width() if view.texture != null else "none"])
	check(view.texture != null and view.texture.get_height() == 480, "the texture is 480 pixels high (is %s, the control %s)" %
			[view.texture.get_height() if view.texture != null else "none", view.size])

	var answers := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: answers[id] = result)
	var id: int = view.run_javascript("window.innerWidth + 'x' + window.innerHeight")
	await wait_until(func() -> bool: return answers.has(id), 10)
	check(str(answers.get(id)) == "320x240", "the page lays out at 320x240 CSS pixels (got %s)" % [answers.get(id)])

	# The page in the window's pixels: the control covers 640x480 of the screen.
	await expect_pixel(600, 440, Color("#3366cc"), "the page at the control's scaled corner")
	# A click at the window's (200, 100), the control's (100, 50), reaches the page at (100, 50).
	var title = record_signal(view.title_changed)
	for attempt in 5:
		await click(Vector2(200, 100))
		if await wait_until(func() -> bool: return title.fired, 3):
			break
	var got = await wait_recorded(title, 10)
	check(got != null and got[0] == "clicked 100,50", "the click lands at (100, 50) in the page (got %s)" % [got])
