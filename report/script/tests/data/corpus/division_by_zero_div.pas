function F: Integer;
begin
  Result := 1;
  Result := 5 div 0;
end;
