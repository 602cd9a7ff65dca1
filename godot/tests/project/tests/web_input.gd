extends "res://tests/godot_test.gd"
## Godot's input reaching a page: a click at a known point of the window arrives at the same
## point of the page, and keys typed after a click into a text field land in it.


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = arguments.get("server", "") + "/colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	await expect_pixel(320, 240, Color("#3366cc"), "the page before the click")

	await click(Vector2(100, 120))
	var title = await wait_signal(view.title_changed, 20)
	while title != null and not title[0].begins_with("clicked"):
		title = await wait_signal(view.title_changed, 20)
	check(title != null and title[0] == "clicked 100,120", "the click lands at the same point of the page (got %s)" % [title])
	await expect_pixel(320, 240, Color("#33cc66"), "the page after the click")

	await click(Vector2(60, 310))
	await type_text("hi")
	var answers := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: answers[id] = result)
	var typed := ""
	for attempt in 20:
		var id: int = view.run_javascript("document.getElementById('field').value")
		await wait_until(func() -> bool: return answers.has(id), 10)
		typed = str(answers.get(id))
		if typed == "hi":
			break
		await wait_frames(5)
	check(typed == "hi", "typed keys reach the focused field (it holds '%s')" % typed)
