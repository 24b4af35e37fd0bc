"""The subset's glPushClientAttrib and glPopClientAttrib on WebGL 2
(tests/client_state.html): the vertex array, its switch and both buffer
bindings come back as they were saved, so that a draw from client memory
after the pop draws the saved triangle; popping an empty stack and pushing
onto a full one are OpenGL's stack errors."""
import browser_kit as kit

GL_STACK_OVERFLOW, GL_STACK_UNDERFLOW = 0x0503, 0x0504

kit.start()
result = kit.test_page_result('client_state.html', 'clientStateResult', 'the subset runs the client attribute cases')
seen = dict(line.split(' ') for line in result.strip().splitlines())
kit.note(result.strip())
kit.check('the draw after the pop is no error', seen.get('error_after_draw') == '0')
kit.check('it draws the saved triangle from client memory (the left half)', int(seen.get('left_red', 0)) > 200)
kit.check('not the buffer set in between (the right half)', seen.get('right_red') == '0')
kit.check('popping an empty stack is a stack underflow', seen.get('error_popping_empty') == str(GL_STACK_UNDERFLOW))
kit.check('the stack holds 16, as OpenGL\'s least', seen.get('pushes_that_fit') == '16')
kit.check('pushing onto a full stack is a stack overflow', seen.get('error_pushing_full') == str(GL_STACK_OVERFLOW))
kit.done()
