{ same in Pascal }
function F: String;
var s, t: String;
begin
  s := 'abcdef';
  Delete(s, 2, 3);
  t := 'abc';
  Insert('X', t, 10);
  Insert('Y', t, 0);
  Result := Copy('abcdef', 0, 2) + Copy('abc', 5, 1) + '|' + Copy('abc', 2, 100) + '|' + s + '|' + t;
  Result := Result + '|' + IntToStr(Pos('z', 'abc')) + IntToStr(Pos('c', 'abc')) + IntToStr(Length(t));
  Result := Result + '|' + UpperCase('MiXed') + LowerCase('MiXed');
  Result := Result + '|' + IntToStr(CompareText('abc', 'ABD')) + ' ' + IntToStr(CompareText('ab', 'abc'));
end;
